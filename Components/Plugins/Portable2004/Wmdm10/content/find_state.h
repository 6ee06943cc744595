// The handle of a media or item listing: what the host holds between the
// first call of a listing and its close. Allocated on the heap and handed
// to the host as an opaque IPPFINDHANDLE.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>
#include <unique_bstr.h>

#include "core/storage_block.h"
#include "host_sdk/ki_music_device_plugin2004.h"

struct FindState {
  FindState() = default;
  FindState(const FindState&) = delete;
  FindState& operator=(const FindState&) = delete;
  ~FindState() = default;

  // The host's view of a handle, and back. A null handle gives null.
  static FindState* FromHandle(IPPFINDHANDLE handle) { return static_cast<FindState*>(handle); }
  IPPFINDHANDLE ToHandle() { return this; }

  ComPtr<IWMDMDevice> device;
  LONG index = 0;  // the device's number in the device list
  ComPtr<IWMDMEnumStorage> enumerator;
  StorageBlock items;  // a playlist's references, listed one by one
  DWORD position = 0;
  UniqueBstr location;
  // The same location as text, for item listings, which hand it on with
  // every child: kept here rather than copied out of the BSTR per item.
  WString locationText;
  WString path = WString(W("\\"));
  // An item listing's folder path joins its children's names into child
  // paths (locations::IsJoinableFolderPath), decided once per listing.
  bool childPathsJoin = false;
  // Each child's storage key is joined here in turn, in a string that keeps
  // its room from one child to the next.
  WString childKey;
  LONG flags = 0;
};
