// The module's three exports, undecorated (a .def file on Windows, a version
// script on Linux keeps exactly these).
#pragma once

#include "ki_music_device_plugin2004.h"

extern "C" {
DWORD GetIPPSDKVersion(DWORD reserved1, DWORD reserved2);
kiMusicDevicePlugin2004* GetIMDP2004();
BOOL ReleaseIMDP2004(kiMusicDevicePlugin2004* plugin);
}

typedef DWORD (*GetIPPSDKVersionFn)(DWORD, DWORD);
typedef kiMusicDevicePlugin2004* (*GetIMDP2004Fn)();
typedef BOOL (*ReleaseIMDP2004Fn)(kiMusicDevicePlugin2004*);
