// The players the stand-in presents: built in code or loaded from a
// description, changed at run time by tests (devices and media come and go)
// and by the plug-in through WMDM's storage control. One lock guards it all;
// the COM objects take it for every call.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "chaos.h"
#include "content_store.h"
#include "event_dispatcher.h"
#include "fault_injector.h"
#include "model_types.h"

namespace wmdm_standin {

// What a COM object holds to reach a stored object: the object and the medium
// and device it lives on, and the generation it was handed out under.
struct StorageHandle {
  std::shared_ptr<ModelDevice> device;
  std::shared_ptr<ModelMedium> medium;
  std::shared_ptr<ModelObject> object;
  unsigned generation = 0;
};

// What one device object shows: a player, or, where its provider shows
// storages as devices, one medium of it.
struct DeviceView {
  std::shared_ptr<ModelDevice> device;
  std::shared_ptr<ModelMedium> medium;  // none: every medium of the player
};

// A new folder or file asked for through Insert.
struct NewObject {
  enum class Placement { Into, Before, After };
  bool folder = false;
  WString name;
  ULONGLONG size = 0;
  std::vector<BYTE> bytes;
  // A file on this computer to copy in (its size in `size`), when `bytes`
  // does not hold the content; a store copies it in its own way.
  WString sourcePath;
  std::vector<ModelTag> tags;
  DWORD extraAttributes = 0;  // hidden, system, read-only
  Placement placement = Placement::Into;
  bool overwrite = false;
  bool queryOnly = false;  // check that it could be done, change nothing
};

// A copy of one stored object, for tests to check; its attributes as the
// platform reports them.
struct ObjectInfo : ObjectFields {
  std::vector<WString> children;
  std::vector<ObjectId> references;  // in order, deleted targets included
  bool deleted = false;
};

class PlayerModel : public std::enable_shared_from_this<PlayerModel> {
 public:
  static std::shared_ptr<PlayerModel> Create();
  ~PlayerModel();
  PlayerModel(const PlayerModel&) = delete;
  PlayerModel& operator=(const PlayerModel&) = delete;

  // Building, and changes at run time. Connecting or removing a device, and
  // adding or removing a medium of a connected device, sends the matching
  // message to every advised sink. A device added detached can be filled
  // with media first and then connected with a single arrival message.
  enum class Presence { Connected, Detached };
  ObjectId AddDevice(const DeviceDescription& description, Presence presence = Presence::Connected);
  bool ConnectDevice(ObjectId device);
  // A medium added `Silently` sends no message and stays out of the device's
  // storages until the manager's Reinitialize.
  enum class Arrival { Announced, Silently };
  // The medium's content lives in `store` (none: in the model's own tree).
  ObjectId AddMedium(ObjectId device, const MediumDescription& description, Arrival arrival = Arrival::Announced,
                     std::shared_ptr<ContentStore> store = nullptr);  // the root storage's id
  ObjectId AddFolder(ObjectId parent, const WString& name, DWORD attributes = 0);
  ObjectId AddFile(ObjectId parent, const FileDescription& file);
  // An abstract playlist: a file whose "WMDM/FormatCode" is 0xBA05.
  ObjectId AddPlaylist(ObjectId parent, const WString& name, const std::vector<ObjectId>& entries);
  bool SetPlaylistEntries(ObjectId playlist, const std::vector<ObjectId>& entries);
  // An object whose content went without an edit through the model (another
  // program removed its file): it and everything in it are deleted, and
  // their interfaces die as a deleted object's do. Not a medium's root.
  bool ForgetObject(ObjectId object);
  bool RemoveDevice(ObjectId device);
  bool RemoveMedium(ObjectId medium);
  bool SetMediumStatus(ObjectId medium, DWORD status);
  // Which provider answers for the device from now on (see personality.h),
  // and whether it shows each of several media as a device of its own.
  bool SetPersonality(ObjectId device, Personality personality, bool storagesAsDevices = false);
  // Whether a mass-storage player answers for an object deleted or renamed
  // away with "file not found" / "path not found" (see DeviceDescription).
  bool SetStaleAsFileErrors(ObjectId device, bool fileErrors);
  // The tags the device keeps (none: every tag); an MTP player refuses others.
  bool SetTagsSupported(ObjectId device, std::optional<std::vector<WString>> tags);

  // Lookups for tests and hosts; 0 when nothing matches.
  ObjectId FindDevice(const WString& name) const;
  // `path` starts with the medium's name: "Storage Card\Music\a.mp3".
  ObjectId Find(ObjectId device, const WString& path) const;
  std::optional<ObjectInfo> Inspect(ObjectId object) const;
  // A handle on a stored object that is not deleted (empty otherwise).
  StorageHandle HandleById(ObjectId object) const;
  ULONGLONG FreeSpace(ObjectId medium) const;
  std::vector<ObjectId> Devices() const;

  FaultInjector& Faults() { return faults_; }
  Chaos& ChaosMode() { return chaos_; }
  // Under chaos, now and then takes the medium out (as a card pulled between
  // two calls of one operation).
  void MaybeRemoveStore(const std::shared_ptr<ModelMedium>& medium);
  EventDispatcher& Events() { return events_; }

  // For the COM objects, under Lock().
  std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock<std::recursive_mutex>(mutex_); }
  std::vector<std::shared_ptr<ModelDevice>> PresentDevices() const;
  // What the device enumerator hands out: a device per present player, or a
  // device per listed medium of a player that shows storages as devices.
  std::vector<DeviceView> PresentDeviceViews() const;
  // The name a view goes by: its player's, or for one medium of it the same
  // with the digits after the last "$" giving the medium's place.
  WString KnownNameOf(const DeviceView& view) const;
  std::optional<DeviceView> ViewByKnownName(const WString& name) const;
  // The media a client sees on the device, in order; the first is its root storage.
  std::vector<std::shared_ptr<ModelMedium>> ListedMedia(const ModelDevice& device) const;
  // The manager's Reinitialize: media added silently are listed from now on.
  void Reinitialize();
  bool IsAlive(const StorageHandle& handle) const;
  // S_OK for a live handle, else what the handle's player answers for a stale object.
  HRESULT CheckAlive(const StorageHandle& handle) const;
  bool IsAlive(const ModelDevice& device) const;
  bool IsAlive(const std::shared_ptr<ModelDevice>& device) const { return IsAlive(*device); }
  // A handle on the object as it is now (its current generation).
  StorageHandle HandleOf(const std::shared_ptr<ModelObject>& object) const;
  // The storage that holds this one; none for a medium's root.
  std::optional<StorageHandle> ParentHandle(const StorageHandle& handle) const;
  std::shared_ptr<ModelObject> ChildNamed(const ModelObject& folder, const WString& name) const;
  DWORD ReportedAttributes(const ModelObject& object) const;
  // Reads in the object's tags and format where its store reads them late.
  void LoadDetails(ModelObject& object) const;
  // Reads in the object's audio format alone, where its store reads it late.
  void LoadFormat(ModelObject& object) const;
  // Asks the object's store to catch up with changes made beside the model
  // (see ContentStore::CatchUp).
  void CatchUp(const ModelObject& object, bool listing);
  // The same before `folder` is searched for `name` (see ContentStore::CatchUpName).
  void CatchUpName(const ModelObject& folder, const WString& name);
  // The object's whole set of tags, read in first where its store reads
  // them late; none when the object is gone.
  std::optional<std::vector<ModelTag>> LoadedTags(ObjectId id) const;

  // Content edits, each a whole platform operation on a live handle.
  HRESULT CreateObject(const StorageHandle& target, const NewObject& request, StorageHandle* created);
  HRESULT DeleteObject(const StorageHandle& handle, bool recursive);
  HRESULT RenameObject(const StorageHandle& handle, const WString& newName);
  HRESULT EraseMedium(const StorageHandle& anyStorageOnIt);
  HRESULT SetReferences(const StorageHandle& playlist, const std::vector<StorageHandle>& entries);
  // S_FALSE when an entry's target was deleted; such entries are left out.
  HRESULT GetReferences(const StorageHandle& playlist, std::vector<StorageHandle>* entries) const;
  HRESULT SetTags(const StorageHandle& handle, const std::vector<ModelTag>& tags);
  HRESULT SetAttributes(const StorageHandle& handle, DWORD attributes, const _WAVEFORMATEX* format);

  // The device-enumeration preference, fixed once devices were enumerated.
  HRESULT SetDeviceEnumPreference(DWORD preference);
  void NoteDevicesEnumerated();

 private:
  PlayerModel() = default;
  ObjectId NextId() { return ++lastId_; }
  std::shared_ptr<ModelDevice> DeviceById(ObjectId id) const;
  std::shared_ptr<ModelMedium> MediumById(ObjectId id) const;
  std::shared_ptr<ModelObject> ObjectById(ObjectId id) const;
  std::shared_ptr<ModelObject> NewChild(const std::shared_ptr<ModelObject>& parent, const WString& name,
                                        DWORD attributes);
  void Insert(const std::shared_ptr<ModelObject>& parent, const std::shared_ptr<ModelObject>& child,
              size_t position);
  HRESULT CheckPlacement(const StorageHandle& target, const NewObject& request,
                         std::shared_ptr<ModelObject>* parent, size_t* position) const;
  void MarkDeleted(ModelObject& object);
  void Detach(ModelObject& object);
  static void RaiseGeneration(ModelObject& object);

  mutable std::recursive_mutex mutex_;
  std::vector<std::shared_ptr<ModelDevice>> devices_;
  std::map<ObjectId, std::weak_ptr<ModelObject>> objects_;
  ObjectId lastId_ = 0;
  DWORD enumPreference_ = 0;
  bool enumPreferenceSet_ = false;
  bool devicesEnumerated_ = false;
  FaultInjector faults_;
  EventDispatcher events_;
  Chaos chaos_;
};

}  // namespace wmdm_standin
