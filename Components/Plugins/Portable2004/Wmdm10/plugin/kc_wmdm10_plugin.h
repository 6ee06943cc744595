// The plug-in object the host drives through kiMusicDevicePlugin2004: a
// facade whose slots are each a door (the plug-in lock, the log line, the
// argument checks, the mapping of the result) and one call into a noun.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

#include <wide_text.h>

#include <com_ptr.h>
#include <critical_section.h>
#include <mswmdm.h>

#include "content/content_editor.h"
#include "content/host_notifier.h"
#include "content/item_listings.h"
#include "content/storage_resolver.h"
#include "core/device_list.h"
#include "core/device_record.h"
#include "core/host_link.h"
#include "host_sdk/ki_music_device_plugin2004.h"
#include "media/media_control.h"
#include "notify/device_change_target.h"
#include "notify/kc_notification_obj.h"

class kcWMDM10Plugin : public kiMusicDevicePlugin2004 {
 public:
  kcWMDM10Plugin();
  kcWMDM10Plugin(const kcWMDM10Plugin&) = delete;
  kcWMDM10Plugin& operator=(const kcWMDM10Plugin&) = delete;
  // Not virtual: a destructor slot would shift the host's table.
  ~kcWMDM10Plugin();

  // The plug-in's one logging routine (core/host_link.h). Runs under the
  // caller's lock.
  void WriteLog(WString message) { link_.WriteLog(std::move(message)); }
  template <size_t N>
  void WriteLog(const WCHAR (&line)[N]) {
    link_.WriteLog(line);
  }

  HRESULT Initialize(const WCHAR* folderPath, const WCHAR* secondPath) override;
  HRESULT Shutdown() override;
  HRESULT CheckEnvironment(kiIPPEnvironmentCheckResults* results) override;
  HRESULT GetPluginVersion(DWORD* versionMS, DWORD* versionLS) override;
  BSTR GetPluginName() override;
  HRESULT SetHostCallback(kiPluginHostCallback* callback) override;
  HRESULT SetHostContext(DWORD context) override;
  HRESULT ReservedQuery(DWORD a, DWORD b, DWORD c) override;
  HRESULT FindFirstDevice(DWORD* deviceNumber, IPPFINDHANDLE* find) override;
  HRESULT FindNextDevice(IPPFINDHANDLE find, DWORD* deviceNumber) override;
  HRESULT FindDeviceClose(IPPFINDHANDLE find) override;
  HRESULT ReScanDevices() override;
  HRESULT GetDevicePropertyBool(DWORD deviceNumber, const WCHAR* name, BOOL* value) override;
  HRESULT GetDevicePropertyLong(DWORD deviceNumber, const WCHAR* name, LONG* value) override;
  HRESULT GetDevicePropertyString(DWORD deviceNumber, const WCHAR* name, BSTR* value) override;
  HRESULT GetDevicePropertyIcon(DWORD deviceNumber, DWORD unused, ULONG* icon) override;
  HRESULT NotImplemented16(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented17(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented18(DWORD a, DWORD b, DWORD c) override;
  HRESULT GetSupportedBitrates(DWORD deviceNumber, const WCHAR* type, SAFEARRAY** bitrates,
                               BOOL* everyRate) override;
  HRESULT NotImplemented20(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e) override;
  HRESULT Fixed21(DWORD a) override;
  HRESULT Fixed22(DWORD a) override;
  HRESULT RenameItem(const WCHAR* location, const WCHAR* path, const WCHAR* newName) override;
  HRESULT CreatePlaylist(const WCHAR* location, const WCHAR* folderPath, const WCHAR* name,
                         BSTR* newPath) override;
  HRESULT UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath, kiItemIdList* entries) override;
  HRESULT CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name, BSTR* newPath) override;
  HRESULT DownloadFile(const WCHAR* location, const WCHAR* targetPath, const WCHAR* sourcePath, kiIPPItem* item,
                       DWORD existingFileMode, DWORD cookie, DWORD* outcome) override;
  HRESULT NotImplemented28(DWORD a, DWORD b, DWORD c) override;
  HRESULT DeleteItem(const WCHAR* location, const WCHAR* path) override;
  HRESULT FindFirstMedia(DWORD deviceNumber, BSTR* location, IPPFINDHANDLE* find) override;
  HRESULT FindNextMedia(IPPFINDHANDLE find, BSTR* location) override;
  HRESULT FindMediaClose(IPPFINDHANDLE find) override;
  HRESULT Erase(const WCHAR* location, DWORD cookie) override;
  HRESULT Format(const WCHAR* location, DWORD cookie) override;
  HRESULT NotImplemented35(DWORD a, DWORD b) override;
  HRESULT GetMediaPropertyBool(const WCHAR* location, const WCHAR* name, BOOL* value) override;
  HRESULT GetMediaPropertyLong(const WCHAR* location, const WCHAR* name, LONG* value) override;
  HRESULT GetMediaPropertyString(const WCHAR* location, const WCHAR* name, BSTR* value) override;
  HRESULT NotImplemented39(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented40(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented41(DWORD a, DWORD b, DWORD c) override;
  HRESULT FindFirstItem(const WCHAR* location, const WCHAR* path, kiIPPItem* item, IPPFINDHANDLE* find) override;
  HRESULT FindNextItem(IPPFINDHANDLE find, kiIPPItem* item) override;
  HRESULT FindItemClose(IPPFINDHANDLE find) override;
  HRESULT GetItemInformation(const WCHAR* location, const WCHAR* path, kiIPPItem* item) override;
  HRESULT NotImplemented46(DWORD a, DWORD b) override;
  HRESULT NotImplemented47(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented48(DWORD a, DWORD b) override;

  kiPluginHostCallback* HostCallback() const { return link_.Callback(); }
  DWORD HostContext() const { return link_.Context(); }

  // The nouns, for tests; call under the plug-in lock. The device list
  // (core/device_list.h) and its lookups.
  DeviceList& Devices() { return devices_; }
  DeviceRecord* FindDeviceRecord(LONG deviceNumber) { return devices_.FindDeviceRecord(deviceNumber); }
  ComPtr<IWMDMDevice> GetDeviceInterface(LONG deviceNumber) { return devices_.GetDeviceInterface(deviceNumber); }
  DWORD FindDeviceNumberByIdentity(const WString& identity) const {
    return devices_.FindDeviceNumberByIdentity(identity);
  }
  DeviceRecord* FindRecordByDevice(IWMDMDevice* device) { return devices_.FindRecordByDevice(device); }
  // Storages by location and path, and the node cache
  // (content/storage_resolver.h): call under the plug-in lock.
  StorageResolver& Resolver() { return resolver_; }

  // The item listings (content/item_listings.h); call under the plug-in lock.
  ItemListings& Listings() { return listings_; }

  // The content edits and the tree walk (content/content_editor.h).
  ContentEditor& Content() { return content_; }

  // Called by the notification worker; takes the plug-in lock itself.
  void OnDeviceChange(WString identity, WString name, WString manufacturer, bool arrived);

  // Every host operation of the device, media and content slots holds this
  // for its whole run.
  CriticalSection& Lock() { return lock_; }
  // Tests only: how many records the list holds, gone ones included.
  size_t DeviceListSize() {
    ScopedLock lock(lock_);
    return devices_.Size();
  }
  bool IsRegisteredForNotifications() const { return notificationCookie_ != kNotRegistered; }

  // Internal to the lifecycle, reachable for tests of its failure paths.
  HRESULT RegisterNotifications();
  HRESULT UnregisterNotifications();

 private:
  static constexpr DWORD kNotRegistered = static_cast<DWORD>(-1);

  // Hands the worker's messages to OnDeviceChange without giving the plug-in
  // object a second base class (its only base is the host's interface).
  class DeviceChangeRelay final : public DeviceChangeTarget {
   public:
    explicit DeviceChangeRelay(kcWMDM10Plugin& plugin) : plugin_(plugin) {}
    void OnDeviceChange(WString identity, WString name, WString manufacturer, bool arrived) override {
      plugin_.OnDeviceChange(std::move(identity), std::move(name), std::move(manufacturer), arrived);
    }

   private:
    kcWMDM10Plugin& plugin_;
  };

  void ReleaseNotificationSink();
  // Tells the host of the device list's arrivals and removals, without the
  // plug-in lock, unless another thread is at it already (it tells these
  // too). Call without the lock, after whatever changed the list.
  void DeliverDeviceNews();

  WString folderPath_;  // Initialize's arguments, kept only
  WString secondPath_;
  HostLink link_{*this};  // the host's callback and context, and the log
  DeviceList devices_{link_};
  StorageResolver resolver_{devices_};
  HostNotifier notifier_{link_, resolver_};
  ItemListings listings_{link_, resolver_, devices_};
  MediaControl media_{link_, resolver_, devices_};
  ContentEditor content_{link_, resolver_, devices_, listings_, notifier_};
  DWORD notificationCookie_ = kNotRegistered;
  ComPtr<kcNotificationObj> notificationSink_;
  CriticalSection lock_;  // re-entrant: the plug-in calls its own slots while holding it
  DeviceChangeRelay deviceChangeRelay_{*this};
  int comInitializations_ = 0;  // CoInitialize calls Shutdown still has to balance
};
