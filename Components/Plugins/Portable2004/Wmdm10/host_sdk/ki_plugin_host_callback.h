// The host's callback object: a plain interface with no reference counting.
// The plug-in never owns it and tests it for null before every use.
//
// Slots 5-7 report a change of content. The paths (VT_BSTR host paths) and
// kinds (VT_I4) arrays are one-dimensional and of equal length: every folder
// above the item, then the item itself. They, the entries array (VT_BSTR
// playlist entry identifiers, in the playlist's order) and the item records
// belong to the plug-in, which makes them for the one call and destroys them
// when it returns: the host copies what it keeps and neither frees nor
// replaces the arrays.
#pragma once

#include <windows.h>
#include <oleauto.h>

struct kiIPPItem;
struct kiMusicDevicePlugin2004;

struct kiPluginHostCallback {
  virtual HRESULT DeviceRemoved(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber) = 0;  // 0
  virtual HRESULT DeviceArrived(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber) = 0;  // 1
  virtual HRESULT OperationEnded(DWORD cookie, DWORD reserved) = 0;                        // 2
  virtual HRESULT Unused3() = 0;                                                            // 3
  virtual HRESULT LogLine(const WCHAR* text) = 0;                                           // 4
  virtual HRESULT ContentRemoved(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber,       // 5
                                 const WCHAR* location, SAFEARRAY** paths, SAFEARRAY** kinds) = 0;
  virtual HRESULT ContentAdded(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber,         // 6
                               const WCHAR* location, SAFEARRAY** paths, SAFEARRAY** kinds,
                               kiIPPItem* item) = 0;
  virtual HRESULT PlaylistChanged(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber,      // 7
                                  const WCHAR* location, SAFEARRAY** paths, SAFEARRAY** kinds,
                                  SAFEARRAY** entries, kiIPPItem* playlist) = 0;
};
