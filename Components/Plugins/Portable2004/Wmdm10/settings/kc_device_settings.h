// The manifest's settings for one device model. Every flag is tri-state: -1 when
// the manifest does not say, else 0 or 1.
#pragma once

#include <windows.h>

#include <vector>

#include <wide_text.h>

struct kcDeviceSettings {
  LONG RootSupportsFolders = -1;
  LONG SupportsFolders = -1;
  LONG RootAllowsFiles = -1;
  LONG FolderAllowsFiles = -1;
  LONG CheckDisplayNameOnDownload = -1;
  LONG SupportsFormat = -1;
  LONG SupportsPlaylists = -1;
  LONG ShowSystemFiles = -1;
  WString AlternateRoot;  // empty, or the manifest's text with "\" in front
  WString FriendlyDisplayName;
  std::vector<WString> HiddenFolder;  // in document order, duplicates kept
  WString DisplayMfgName;
};
