// The media of the listed devices: listing a device's media for the host
// (media_listing.cpp; the listing's handle is a FindState), a medium's
// properties, worked out from its root storage and kept in the root's node
// (media_properties.cpp), and wiping a medium by erasing or formatting it
// (erase_format.cpp). Call under the plug-in lock.
#pragma once

#include <windows.h>

#include <utility>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "content/find_state.h"
#include "content/storage_resolver.h"
#include "core/device_directory.h"
#include "core/host_link.h"

class MediaControl {
 public:
  MediaControl(HostLink& link, StorageResolver& resolver, DeviceDirectory& devices)
      : link_(link), resolver_(resolver), devices_(devices) {}
  MediaControl(const MediaControl&) = delete;
  MediaControl& operator=(const MediaControl&) = delete;

  // The first medium of the device and a handle for the rest; IPP_E_FAIL
  // for a device not listed or a missing out.
  HRESULT ListFirst(DWORD deviceNumber, BSTR* location, IPPFINDHANDLE* find);
  HRESULT ListNext(FindState& state, BSTR* location);

  // A named property's value and whether there is one to hand out (which may
  // be so with a failing result); a stale root is looked up afresh, once.
  HRESULT PropertyBool(const WCHAR* location, const WCHAR* name, bool outGiven, bool* answer, bool* answered);
  HRESULT PropertyLong(const WCHAR* location, const WCHAR* name, bool outGiven, LONG* answer, bool* answered);
  HRESULT PropertyString(const WCHAR* location, const WCHAR* name, bool outGiven, WString* answer, bool* answered);

  // Deletes the medium's root storage, or formats it through its globals;
  // the host hears the end through the progress object during the call.
  HRESULT Erase(const WCHAR* location, DWORD cookie);
  HRESULT Format(const WCHAR* location, DWORD cookie);

  StorageResolver& Resolver() { return resolver_; }
  DeviceRecord* FindDeviceRecord(LONG deviceNumber) { return devices_.FindDeviceRecord(deviceNumber); }
  kiPluginHostCallback* HostCallback() const { return link_.Callback(); }
  void WriteLog(WString message) const { link_.WriteLog(std::move(message)); }

 private:
  HostLink& link_;
  StorageResolver& resolver_;
  DeviceDirectory& devices_;
};
