// Which files a player shows: the plug-in lists a track only when its
// extension is among the device's supported file formats, so a file of
// another kind would be sent and then never seen.
#pragma once

#include <windows.h>

#include <string>

#include <ki_music_device_plugin2004.h>
#include <wide_text.h>

// True when the device holding `location` names its formats and
// `fileName`'s extension is not among them; `why` then says so in words
// ("the player does not play .flac files (it plays .mp3;.wma;.wav)"). A
// device that names none is not second-guessed.
bool PlayerRefusesFormat(kiMusicDevicePlugin2004* plugin, const WString& location, const std::string& fileName,
                         std::string* why);
