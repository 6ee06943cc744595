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
  // Milliseconds, or the duration tag's 1/10,000 s (play_times.h).
  LONG duration = 0;
  bool durationFromTag = false;
  ULONGLONG size = 0;
  bool deletable = true;  // "ItemDeletable": a read-only file is not
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

class PlayTimes;

// Every item a listing of the folder or playlist at `hostPath` hands out, as
// listed (without tags); the failure that ended it, or FindFirstItem's answer.
HRESULT ListItems(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& hostPath,
                  std::vector<ItemReport>* items);

// The items directly in the folder (or the entries of the playlist) at
// `hostPath`; tracks and entries with their tags, playlists with their
// entries, each play time in the unit `times` knows it by.
ListingReport ReadListing(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& hostPath,
                          PlayTimes* times);

// One item with its tags, as GetItemInformation gives it (its play time's
// unit unknown): S_OK, or GetItemInformation's failure.
HRESULT ReadItem(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path, ItemReport* item);

// The same, with its play time's unit, for printing.
HRESULT ReadShownItem(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path, PlayTimes* times,
                      ItemReport* item);

// Listings carry no tags: the host asks for each track's information. The
// record keeps its place (an entry its identifier and order); `details`
// says what the information slot answered.
void AddDetails(kiMusicDevicePlugin2004* plugin, const WString& location, PlayTimes* times, ItemReport* item);

// The play time in seconds, as few decimals as its unit needs ("240.3").
std::string Seconds(const ItemReport& item);
// "folder", "playlist" or "track".
const char* KindName(LONG kind);

void PrintListingTable(const ListingReport& report, std::ostream& out);
void PrintListingJson(const ListingReport& report, std::ostream& out);
// The listing (as a table, or JSON) on `out`; a failed one only on `errors`,
// as one line naming `command`. False when it failed.
bool PrintListing(const ListingReport& report, bool json, const char* command, std::ostream& out,
                  std::ostream& errors);
void PrintItemTable(const ItemReport& item, std::ostream& out);
void PrintItemJson(const ItemReport& item, std::ostream& out);
