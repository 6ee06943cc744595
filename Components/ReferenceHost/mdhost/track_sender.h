// Sends one file onto a medium through DownloadFile, as the library
// application does for each track it copies: the item carries the given tags
// and, for every tag not given, the file's own where this build reads them.
// What became of it is told by the answer, the outcome and whether the
// plug-in reported the end of the transfer with the send's cookie.
#pragma once

#include <windows.h>

#include <cstdint>

#include <wide_text.h>

#include "host_support/send_outcome.h"
#include "host_support/source_file.h"
#include "host_support/track_tags.h"
#include "mdhost/host_session.h"
#include "mdhost/refusal_words.h"

// Existing-file modes of DownloadFile.
inline constexpr DWORD kModeReplace = 0;
inline constexpr DWORD kModeKeep = 2;
inline constexpr DWORD kModeFailIfExists = 3;

struct SentTrack {
  SendOutcome outcome = SendOutcome::kFailed;
  HRESULT result = S_OK;
  WString added;  // the new track's host path, as the plug-in reported it
};

// Why the file is not to be sent, in words; empty when it is: a name the
// plug-in or the medium cannot take, or a format the player would hide once
// sent.
std::string SendRefusal(kiMusicDevicePlugin2004* plugin, DWORD device, const std::string& file,
                        const SourceFile& source);

// Whether the file's format is one the player does not play but this build
// converts to MP3, which it does play: then it is sent as MP3, not refused.
bool ConvertsForPlayer(kiMusicDevicePlugin2004* plugin, DWORD device, const std::string& file);

// The file's own name, which it keeps on the player.
WString SentName(const SourceFile& source);

// Sends one file. The callback's record is emptied first of the `taken`
// events its caller has read (all of them by default), so that what the send
// reports is read alone; later ones the caller has not seen stay.
SentTrack SendTrack(HostSession& session, const WString& location, const WString& target, const SourceFile& source,
                    const TrackTags& given, DWORD mode, DWORD cookie, size_t taken = SIZE_MAX);
// The same with the tags the host hands over as they are: the file's own
// are not read again.
SentTrack SendTaggedTrack(HostSession& session, const WString& location, const WString& target,
                          const SourceFile& source, const TrackTags& tags, DWORD mode, DWORD cookie,
                          size_t taken = SIZE_MAX);

// What follows the outcome word in the line a host shows for the file:
// ": CODE (meaning)" for a failure, " (already on the player)", or " as PATH"
// with the tags the player now holds.
std::string SentDetail(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& target,
                       const SourceFile& source, const SentTrack& sent);
