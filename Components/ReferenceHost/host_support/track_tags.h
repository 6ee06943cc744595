// The tags a host sends with a track: given by the user, read from the file
// itself, or both (what the user gives wins). On the Linux lane the file's
// tags come from TagLib; the Windows build has no tag reader and sends what
// the user gives only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include <ki_ipp_item.h>
#include <wide_text.h>

// The names of the record's numbered tags, as the plug-in reads them.
inline const WCHAR* const kItemTrackNumber = W("ItemTrackNumber");
inline const WCHAR* const kItemTrackRanking = W("ItemTrackRanking");

struct TrackTags {
  std::optional<WString> title, artist, album, genre;
  std::optional<LONG> track, rating;
  std::optional<LONG> bitrate;   // bits per second
  std::optional<LONG> duration;  // seconds
};

// Whether this build can read a file's own tags.
bool CanReadFileTags();

// The tags of an audio file (path in the platform's own form); false when the
// file has none this build can read. Never throws.
bool ReadFileTags(const std::string& path, TrackTags* tags);

// Each tag from `preferred` where it has one, otherwise from `fallback`.
TrackTags MergeTags(const TrackTags& preferred, const TrackTags& fallback);

// The record a host hands the plug-in for a track: kind 4 (a file), each tag
// present set, the track number and rating as named properties.
void FillTrackItem(const TrackTags& tags, kiIPPItem* item);
