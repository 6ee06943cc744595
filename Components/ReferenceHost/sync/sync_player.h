// What the folder TARGET holds on the player, as mdhost sync sees it through
// the plug-in's listings: every file, folder and playlist below it, keyed by
// its path relative to TARGET written with "/", with a playlist's entries.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <ki_music_device_plugin2004.h>
#include <wide_text.h>

struct PlayerItem {
  LONG kind = 0;  // 1 folder, 3 playlist, 4 file
  ULONGLONG size = 0;
  std::vector<WString> entries;  // a playlist's tracks, as host paths
};

struct PlayerTree {
  bool exists = false;  // TARGET itself
  std::map<std::string, PlayerItem> items;
};

// Lists TARGET and everything below it; S_OK, or the listing's failure
// (IPP_E_NOTFOUND leaves `exists` false).
HRESULT ReadPlayerTree(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& target,
                       PlayerTree* tree);

// The host path of `relative` ("a/b.mp3") inside `target` ("\Music").
WString PlayerPath(const WString& target, const std::string& relative);
