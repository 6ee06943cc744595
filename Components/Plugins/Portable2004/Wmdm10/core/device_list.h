// The device list: a record for every player WMDM showed (number n is
// element n-1; a removed one stays, marked gone, so that later numbers do not
// shift), and what decides which players are listed and how: the device
// manager they come from, the registry's inventory, the skip list and the
// manifest's settings. It lists devices for the device slots, takes arrivals
// and removals, finds a record by number, identity or interface, and works
// out each device property. Call under the plug-in lock.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "core/device_directory.h"
#include "core/device_record.h"
#include "core/host_link.h"
#include "detect/kc_device_inventory.h"
#include "host_sdk/ki_music_device_plugin2004.h"
#include "settings/kc_portable_manifest.h"
#include "settings/kc_vid_pid_filter.h"

class DeviceList final : public DeviceDirectory {
 public:
  explicit DeviceList(HostLink& link) : link_(link) {}
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;

  // Runs whenever records go or are marked gone: whatever was resolved
  // through them is to be forgotten.
  void SetOnRecordsDropped(std::function<void()> dropped) { recordsDropped_ = std::move(dropped); }

  // Initialize's fresh start: no device manager, the inventory read again,
  // the skip list and the manifest loaded anew.
  void Restart();
  // The device manager Initialize makes; the list enumerates through it.
  ComPtr<IWMDeviceManager>& Manager() { return deviceManager_; }
  void ClearInventory() { inventory_.Clear(); }
  void DropSettings();

  // Null for a number outside the list; completes a pending record first.
  DeviceRecord* FindDeviceRecord(LONG deviceNumber) override;
  const DeviceRecords& Records() const override { return deviceList_; }
  // The record's device, or null.
  ComPtr<IWMDMDevice> GetDeviceInterface(LONG deviceNumber);
  DWORD FindDeviceNumberByIdentity(const WString& identity) const;
  DeviceRecord* FindRecordByDevice(IWMDMDevice* device);
  void ClearDeviceList();
  // How many records the list holds, gone ones included.
  size_t Size() const { return deviceList_.size(); }

  // The device slots' work, behind their doors. ListFirst starts a new list
  // and hands out the enumerator as the listing's handle.
  HRESULT ListFirst(DWORD* deviceNumber, IPPFINDHANDLE* find);
  HRESULT ListNext(IWMDMEnumDevice* enumerator, DWORD* deviceNumber);
  // Lists the devices that came, marks gone those that went; the host hears
  // of each.
  HRESULT Rescan();
  // What the notification worker saw, under the plug-in lock.
  void OnDeviceChange(const WString& identity, const WString& name, const WString& manufacturer, bool arrived);

  // An arrival or removal the host is still to hear of. The host is called
  // only once the plug-in lock is let go (a host may wait in its callback for
  // its own thread, which may be waiting for the lock), so the list keeps its
  // news until the facade hands them over: in the order the list changed,
  // with the numbers the records had. A new listing drops what was not told.
  struct DeviceNews {
    DWORD deviceNumber;
    bool arrived;
  };
  // True when there is news and no one else is handing it over: the caller
  // now does, until NextNews finds none.
  bool ClaimNews();
  // The next news for the claimant; false, and the claim ends, when none is left.
  bool NextNews(DeviceNews* news);
  // A thread other than `thread` is handing news over.
  bool NewsHandedOverElsewhere(DWORD thread) const { return newsThread_ != 0 && newsThread_ != thread; }
  // A named property's value and whether there is one to hand out (which may
  // be so with a failing result); each is worked out once per device.
  HRESULT PropertyBool(DWORD deviceNumber, const WCHAR* name, bool outGiven, bool* answer, bool* answered);
  HRESULT PropertyLong(DWORD deviceNumber, const WCHAR* name, bool outGiven, LONG* answer, bool* answered);
  HRESULT PropertyString(DWORD deviceNumber, const WCHAR* name, bool outGiven, WString* answer, bool* answered);
  HRESULT Icon(DWORD deviceNumber, ULONG* icon);
  HRESULT FindSupportedBitrates(DWORD deviceNumber, const WCHAR* type, SAFEARRAY** bitrates, BOOL* everyRate);

 private:
  // Matching (device_matching.cpp).
  bool MatchAndFilter(const WString& identity, const WString& name, const WString& manufacturer,
                      DeviceInventoryRecord* inventory);
  bool AcceptDevice(IWMDMDevice* device, DeviceInventoryRecord* inventory);
  void FillDeviceRecord(DeviceRecord* record, IWMDMDevice* device, DWORD number,
                        const DeviceInventoryRecord& inventory, const kcDeviceSettings* settings);
  const kcDeviceSettings* SettingsFor(const DeviceInventoryRecord& inventory) const;
  void CompleteDeviceRecord(LONG deviceNumber, DeviceRecord* record);
  // Listing (device_list.cpp).
  HRESULT OpenDeviceEnumerator(IWMDMEnumDevice** enumerator);  // emptied first by the caller's holder
  // Appends a complete record for an accepted device; its number, or 0.
  DWORD AppendDevice(IWMDMDevice* device, const DeviceInventoryRecord& inventory);
  // Lists the next device the enumerator yields that is accepted (and, with
  // `skipListed`, not listed yet); its number, or 0 with the enumeration's
  // end or failure in `end`.
  DWORD ListNextDevice(IWMDMEnumDevice* enumerator, bool skipListed, HRESULT* end);
  // Appends a pending record for a device a rescan met for the first time.
  void AppendArrival(const ComPtr<IWMDMDevice>& device);
  void MarkGone(DWORD deviceNumber);
  void RebuildInventory();
  void DropResolved() const {
    if (recordsDropped_) recordsDropped_();
  }

  // Properties (device_properties.cpp, device_property_values.cpp,
  // supported_bitrates.cpp).
  HRESULT GetVendorName(DeviceRecord* record, WString* vendor);
  bool ComputeBoolProperty(DeviceRecord& record, const WString& name, bool* value);
  bool ComputeLongProperty(DeviceRecord& record, const WString& name, LONG* value, HRESULT* result);
  bool ComputeStringProperty(DeviceRecord& record, DWORD deviceNumber, const WString& name, WString* value);
  WString SupportedFileFormats(DWORD deviceNumber);

  HostLink& link_;
  std::deque<DeviceNews> news_;
  DWORD newsThread_ = 0;  // the thread handing the news over, 0 when none
  std::function<void()> recordsDropped_;
  DeviceRecords deviceList_;  // number n is element n-1
  ComPtr<IWMDeviceManager> deviceManager_;
  std::unique_ptr<kcVidPidFilter> skipFilter_;
  std::unique_ptr<kcPortableManifest> manifest_;
  // Manifests a second Initialize replaced while records still pointed into
  // them: kept until those records go, so their numbers stay usable.
  std::vector<std::unique_ptr<kcPortableManifest>> earlierManifests_;
  kcDeviceInventory inventory_;
};
