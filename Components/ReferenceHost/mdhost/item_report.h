// Reads the items of a folder or playlist, or one item, through the plug-in,
// for mdhost ls and mdhost info.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include <wide_text.h>

#include <ki_music_device_plugin2004.h>

struct ItemReport {
  LONG kind = 0;  // 1 folder, 3 playlist, 4 file
  std::string location;
  std::string title, album, artist, genre;
  LONG trackNumber = 0, bitrate = 0;
  // The plug-in gives a listed track's play time in milliseconds, worked out
  // from its size and format, but takes the one GetItemInformation gives from
  // the track's duration tag, in units of 1/10,000 s, when it has that tag.
  LONG duration = 0;
  bool durationFromTag = false;
  ULONGLONG size = 0;
  LONG order = -1;        // "ItemOrder" of a playlist entry, -1 elsewhere
  HRESULT details = S_OK;  // the answer of GetItemInformation, for tracks
  std::vector<ItemReport> entries;  // a playlist's, when listed
};

struct ListingReport {
  std::string location;  // the medium
  std::string path;      // the folder or playlist listed
  HRESULT result = S_OK;  // a failure that ended the listing; S_FALSE for nothing listed
  std::vector<ItemReport> items;
};

// The items directly in the folder (or the entries of the playlist) at
// `hostPath`; tracks with their tags, playlists with their entries.
ListingReport ReadListing(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& hostPath);

// One item with its tags: S_OK, or GetItemInformation's failure.
HRESULT ReadItem(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path, ItemReport* item);

void PrintListingTable(const ListingReport& report, std::ostream& out);
void PrintListingJson(const ListingReport& report, std::ostream& out);
// The listing (as a table, or JSON) on `out`; a failed one only on `errors`,
// as one line naming `command`. False when it failed.
bool PrintListing(const ListingReport& report, bool json, const char* command, std::ostream& out,
                  std::ostream& errors);
void PrintItemTable(const ItemReport& item, std::ostream& out);
void PrintItemJson(const ItemReport& item, std::ostream& out);
