// The audio half of a conversion is a module of its own: FFmpeg's libraries
// bring well over a hundred shared libraries with them, and a program that
// linked them would load all of them at every start, though most runs of
// mdhost convert nothing. The module is opened the first time a track is
// converted, from the folder of the running program.
#pragma once

#include <atomic>
#include <string>

#include "convert/audio_transcode.h"

// The module's one entry. Both sides are built together by one compiler, so
// the call passes the host's own types.
using TranscodeEntry = void (*)(const std::string& source, const std::string& destination,
                                const EncodeSettings& settings, const std::atomic<bool>& stop,
                                TranscodeResult* result);

inline constexpr char kTranscodeModuleName[] = "libmdhost_transcode.so";
inline constexpr char kTranscodeEntryName[] = "MdTranscodeToMp3";

// The entry of the module at `path`, or null with the reason in words.
TranscodeEntry LoadTranscodeEntry(const std::string& path, std::string* problem);

// Where the running program's own module is.
std::string TranscodeModulePath();
