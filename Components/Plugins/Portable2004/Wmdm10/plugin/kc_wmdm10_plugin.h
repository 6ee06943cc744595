// The plug-in object the host drives through kiMusicDevicePlugin2004: a
// facade whose slots are each a door (the plug-in lock, the log line, the
// argument checks, the mapping of the result) and one call into a noun.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include <wide_text.h>

#include <com_ptr.h>
#include <critical_section.h>
#include <mswmdm.h>

#include "content/content_change.h"
#include "content/host_notifier.h"
#include "content/item_listings.h"
#include "content/storage_resolver.h"
#include "content/tree_walk.h"
#include "core/device_list.h"
#include "core/device_record.h"
#include "core/host_link.h"
#include "host_sdk/ki_music_device_plugin2004.h"
#include "media/media_control.h"
#include "notify/device_change_target.h"
#include "notify/kc_notification_obj.h"

struct StorageFacts;

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

  // The nouns, for tests; call under the plug-in lock.
  DeviceList& Devices() { return devices_; }
  // The device list's lookups (core/device_list.h).
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

  // The tree walk (content/tree_walk.cpp); call under the plug-in lock.
  // Walks the subtree at `path` children first; see content/tree_walk.h.
  HRESULT WalkTree(const WString& location, const WString& path, WalkVisit visit, void* context);
  // The same over every item of the medium, from its root.
  HRESULT WalkMedium(const WString& location, WalkVisit visit, void* context);

  // The host's change callbacks (content/host_notifier.h).
  void NotifyChange(const WString& location, const WString& path, ContentChange code) {
    notifier_.NotifyChange(location, path, code);
  }
  HRESULT CollectChangedFolders(const WString& location, const WString& path, std::vector<WString>* paths,
                                std::vector<LONG>* kinds, bool skipSelf) {
    return notifier_.CollectChangedFolders(location, path, paths, kinds, skipSelf);
  }
  // Inserts `track` into, or removes its first same-named entry from, the
  // references of `playlist` (device path `playlistPath`). `position` -1 is
  // the end; `index`, when given, receives where the entry went or was.
  HRESULT EditPlaylistReferences(const WString& location, const WString& playlistPath, ComPtr<IWMDMStorage> playlist,
                                 ComPtr<IWMDMStorage> track, bool insert, LONG position, LONG* index);

  // One playlist entry naming an item about to go or be renamed: the
  // playlist's device path, the entry's index in the list as it was, the
  // storage it named and that storage's device path (empty when unread).
  struct PlaylistEntry {
    WString playlistPath;
    LONG index = -1;
    ComPtr<IWMDMStorage> track;
    WString trackPath;
  };
  // What RemoveReferencesVisit and FindReferencesVisit are handed: the
  // plug-in, the device path of the track or folder and, when wanted, the
  // entries found (for RemoveReferencesVisit, those taken out).
  struct ReferenceRemoval {
    kcWMDM10Plugin* plugin = nullptr;
    WString trackPath;
    std::vector<PlaylistEntry>* removed = nullptr;
  };
  // Takes every entry naming `item` (for a folder, anything below it) out of
  // `playlist` in one write, appends what it took to `removed` when given,
  // and reports the new order to the host.
  HRESULT TakeOutOfPlaylist(const WString& location, const WString& playlistPath,
                            const ComPtr<IWMDMStorage>& playlist, const ComPtr<IWMDMStorage>& item, bool folder,
                            std::vector<PlaylistEntry>* removed);
  // Puts entries taken out back at their places, one write and one report
  // per playlist; `track`, when given, in place of what each entry named.
  // An entry whose storage is gone stays out. Every playlist is tried; the
  // first failure is the result.
  HRESULT PutBackEntries(const WString& location, const std::vector<PlaylistEntry>& entries,
                         const ComPtr<IWMDMStorage>& track = ComPtr<IWMDMStorage>());
  // Deletes the storage of `node` (at device path `path`): recursively when
  // asked and it is a folder; when WMDM refuses a folder and `oneByOne`, its
  // content item by item, children first. IPP_E_STALE for a folder that is
  // not current. Reports the removal to the host.
  HRESULT DeleteStorage(const WString& location, const WString& path, const NodeRef& node, bool recursive,
                        bool oneByOne);
  // After a rename of what was at `oldPath` to `newPath`: every entry in
  // `entries` (found before the rename) that its playlist no longer names
  // is put back under the new path (a playlist that cannot be read is left
  // as it is). IPP_E_NOTFOUND when one does not resolve there; otherwise the
  // first failure of a write.
  HRESULT KeepRenamedEntries(const WString& location, const std::vector<PlaylistEntry>& entries,
                             const WString& oldPath, const WString& newPath);
  // Tells the host that the item of `node`, at device path `path`, is gone.
  void ReportRemoval(const WString& location, const WString& path, const NodeRef& node);
  // DeleteItem's deletion proper, once more after a dead interface; a folder
  // WMDM refuses is emptied one by one.
  HRESULT DeleteWithOneRetry(const WString& location, const WString& path);
  // Tree-walk visits: deleting one item (context: the plug-in), and taking a
  // track out of a playlist (context: a ReferenceRemoval).
  static HRESULT DeleteEachVisit(const WString& location, const NodeRef& node, void* context);
  static HRESULT RemoveReferencesVisit(const WString& location, const NodeRef& node, void* context);
  // Records every entry naming the item (or anything below a folder) without
  // changing the playlist (context: a ReferenceRemoval with a list).
  static HRESULT FindReferencesVisit(const WString& location, const NodeRef& node, void* context);

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

  WString folderPath_;  // Initialize's arguments, kept only
  WString secondPath_;
  HostLink link_{*this};  // the host's callback and context, and the log
  DeviceList devices_{link_};
  StorageResolver resolver_{devices_};
  HostNotifier notifier_{link_, resolver_};
  ItemListings listings_{link_, resolver_, devices_};
  MediaControl media_{link_, resolver_, devices_};
  DWORD notificationCookie_ = kNotRegistered;
  ComPtr<kcNotificationObj> notificationSink_;
  CriticalSection lock_;  // re-entrant: the plug-in calls its own slots while holding it
  DeviceChangeRelay deviceChangeRelay_{*this};
  int comInitializations_ = 0;  // CoInitialize calls Shutdown still has to balance
};
