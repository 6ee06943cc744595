// Which files a player shows: the plug-in lists a track only when its
// extension is among the device's supported file formats, so a file of
// another kind would be sent and then never seen. One rule for send and
// sync alike.
#pragma once

#include <windows.h>

#include <string>

#include <ki_music_device_plugin2004.h>

// ".flac" of "a/b.FLAC" or "C:\x\b.FLAC"; empty when the name has no
// extension.
std::string LowerExtension(const std::string& fileName);

// Whether a device whose "DeviceSupportedFileFormats" text is `formats`
// (".mp3;.wma;.wav") shows files with the lower-cased `extension`: the
// plug-in's own test, the extension anywhere in the text. An empty text
// tells nothing, and every format passes; a name without an extension is
// never shown.
bool Plays(const std::string& formats, const std::string& extension);

// True when `device` names its formats and `fileName`'s extension is not
// among them; `why` then says so in words ("the player does not play .flac
// files (it plays .mp3;.wma;.wav)").
bool PlayerRefusesFormat(kiMusicDevicePlugin2004* plugin, DWORD device, const std::string& fileName,
                         std::string* why);
