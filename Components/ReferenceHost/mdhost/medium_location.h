// How mdhost's content commands name a medium: by its media location, or as
// DEVICE/N, the device's N-th medium as mdhost media lists them.
#pragma once

#include <windows.h>

#include <string>

#include <ki_music_device_plugin2004.h>
#include <wide_text.h>

// A positive decimal number of at most nine digits.
bool ParseCount(const std::string& text, DWORD* number);

// False when DEVICE/N names no medium the plug-in lists.
bool FindLocation(kiMusicDevicePlugin2004* plugin, const std::string& text, WString* location);

// Whether `location` is one of the media locations the plug-in lists now
// (it lists the devices first, as a host does). A location it does not list
// is bad input: every command refuses it alike, before asking the plug-in.
bool KnownLocation(kiMusicDevicePlugin2004* plugin, const WString& location);
