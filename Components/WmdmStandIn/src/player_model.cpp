#include "player_model.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "personality.h"

namespace wmdm_standin {
namespace {

std::vector<WString> SplitPath(const WString& path) {
  std::vector<WString> parts;
  WString part;
  for (WCHAR c : path) {
    if (c == W('\\') || c == W('/')) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The name a device without a canonical name is still known by inside the
// platform, shaped like a device interface path.
WString OwnKnownName(ObjectId id) {
  return W("\\\\?\\standin#player") + wide::FromUnsigned(id) + W("#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0");
}

// MD_STANDIN_PERSONALITY=mtp (or mass-storage, mtp-storages-as-devices, or
// mass-storage-file-errors) gives every player that personality, so that a
// whole session can be run against the other kind.
void ApplyPersonalityFromEnvironment(DeviceDescription* description) {
  const char* text = std::getenv("MD_STANDIN_PERSONALITY");
  if (!text) return;
  const bool asDevices = std::strcmp(text, "mtp-storages-as-devices") == 0;
  if (std::strcmp(text, "mtp") == 0 || asDevices) description->personality = Personality::Mtp;
  const bool fileErrors = std::strcmp(text, "mass-storage-file-errors") == 0;
  if (std::strcmp(text, "mass-storage") == 0 || fileErrors) description->personality = Personality::MassStorage;
  description->staleAsFileErrors = description->staleAsFileErrors || fileErrors;
  description->storagesAsDevices = description->storagesAsDevices || asDevices;
}

}  // namespace

std::shared_ptr<PlayerModel> PlayerModel::Create() {
  std::shared_ptr<PlayerModel> model(new PlayerModel());
  if (auto chaos = ChaosFromEnvironment()) model->chaos_.Start(*chaos);
  return model;
}

PlayerModel::~PlayerModel() = default;

ObjectId PlayerModel::AddDevice(const DeviceDescription& description, Presence presence) {
  auto lock = Lock();
  auto device = std::make_shared<ModelDevice>();
  device->id = NextId();
  device->description = description;
  ApplyPersonalityFromEnvironment(&device->description);
  device->knownName = description.canonicalName ? *description.canonicalName : OwnKnownName(device->id);
  devices_.push_back(device);
  if (presence == Presence::Connected) ConnectDevice(device->id);
  return device->id;
}

bool PlayerModel::ConnectDevice(ObjectId id) {
  auto lock = Lock();
  auto device = DeviceById(id);
  if (!device || device->present) return false;
  device->present = true;
  events_.Post(WMDM_MSG_DEVICE_ARRIVAL, device->knownName);
  return true;
}

ObjectId PlayerModel::AddMedium(ObjectId deviceId, const MediumDescription& description, Arrival arrival,
                               std::shared_ptr<ContentStore> store) {
  auto lock = Lock();
  auto device = DeviceById(deviceId);
  if (!device) return 0;
  auto medium = std::make_shared<ModelMedium>();
  medium->description = description;
  medium->device = device.get();
  medium->listed = arrival == Arrival::Announced;
  medium->store = store ? std::move(store) : MakeMemoryStore();
  medium->root = std::make_shared<ModelObject>();
  medium->root->id = medium->id = NextId();
  medium->root->name = description.name;
  medium->root->attributes = DefaultMediumAttributes(description.removable);
  medium->root->isRoot = true;
  medium->root->medium = medium.get();
  objects_[medium->id] = medium->root;
  device->media.push_back(medium);
  if (device->present && medium->listed) events_.Post(WMDM_MSG_MEDIA_ARRIVAL, device->knownName);
  return medium->id;
}

ObjectId PlayerModel::AddFolder(ObjectId parentId, const WString& name, DWORD attributes) {
  auto lock = Lock();
  auto parent = ObjectById(parentId);
  if (!parent || !parent->IsFolder()) return 0;
  return NewChild(parent, name, attributes ? attributes : DefaultFolderAttributes())->id;
}

ObjectId PlayerModel::AddFile(ObjectId parentId, const FileDescription& file) {
  auto lock = Lock();
  auto parent = ObjectById(parentId);
  if (!parent || !parent->IsFolder()) return 0;
  auto child = NewChild(parent, file.name, file.attributes ? file.attributes : DefaultFileAttributes(file.name));
  child->bytes = file.bytes;
  child->size = file.bytes.empty() ? file.size : file.bytes.size();
  child->format = file.format;
  child->date = file.date;
  child->tags = file.tags;
  child->detailsPending = file.detailsPending;
  child->formatPending = file.formatPending;
  return child->id;
}

ObjectId PlayerModel::AddPlaylist(ObjectId parentId, const WString& name, const std::vector<ObjectId>& entries) {
  auto lock = Lock();
  FileDescription file;
  file.name = name;
  file.tags.push_back(ModelTag::Dword(g_wszWMDMFormatCode, WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST));
  const ObjectId id = AddFile(parentId, file);
  if (id) SetPlaylistEntries(id, entries);
  return id;
}

bool PlayerModel::SetPlaylistEntries(ObjectId playlistId, const std::vector<ObjectId>& entries) {
  auto lock = Lock();
  auto playlist = ObjectById(playlistId);
  if (!playlist || playlist->IsFolder()) return false;
  playlist->references.clear();
  for (ObjectId entry : entries)
    if (auto target = ObjectById(entry)) playlist->references.push_back(target);
  return true;
}

bool PlayerModel::ForgetObject(ObjectId id) {
  auto lock = Lock();
  auto object = ObjectById(id);
  if (!object || object->isRoot) return false;
  MarkDeleted(*object);
  Detach(*object);
  return true;
}

void PlayerModel::CatchUp(const ModelObject& object, bool listing) {
  // An object's medium and store are fixed before it is handed out; the
  // store takes the lock when it has work, so that a call it lets pass
  // costs no lock.
  ModelMedium* medium = object.medium;
  if (medium && medium->store) medium->store->CatchUp(*this, object, listing);
}

void PlayerModel::CatchUpName(const ModelObject& folder, const WString& name) {
  ModelMedium* medium = folder.medium;
  if (medium && medium->store) medium->store->CatchUpName(*this, folder, name);
}

bool PlayerModel::RemoveDevice(ObjectId id) {
  auto lock = Lock();
  auto found = std::find_if(devices_.begin(), devices_.end(), [id](const auto& d) { return d->id == id; });
  if (found == devices_.end()) return false;
  auto device = *found;
  devices_.erase(found);
  if (device->present) {
    device->present = false;
    events_.Post(WMDM_MSG_DEVICE_REMOVAL, device->knownName);
  }
  return true;
}

bool PlayerModel::RemoveMedium(ObjectId id) {
  auto lock = Lock();
  auto medium = MediumById(id);
  if (!medium) return false;
  ModelDevice* device = medium->device;
  medium->present = false;
  device->media.erase(std::find(device->media.begin(), device->media.end(), medium));
  if (device->present) events_.Post(WMDM_MSG_MEDIA_REMOVAL, device->knownName);
  return true;
}

bool PlayerModel::SetMediumStatus(ObjectId id, DWORD status) {
  auto lock = Lock();
  auto medium = MediumById(id);
  if (!medium) return false;
  medium->description.status = status;
  return true;
}

bool PlayerModel::SetPersonality(ObjectId id, Personality personality, bool storagesAsDevices) {
  auto lock = Lock();
  auto device = DeviceById(id);
  if (!device) return false;
  device->description.personality = personality;
  device->description.storagesAsDevices = storagesAsDevices;
  return true;
}

bool PlayerModel::SetStaleAsFileErrors(ObjectId id, bool fileErrors) {
  auto lock = Lock();
  auto device = DeviceById(id);
  if (!device) return false;
  device->description.staleAsFileErrors = fileErrors;
  return true;
}

bool PlayerModel::SetTagsSupported(ObjectId id, std::optional<std::vector<WString>> tags) {
  auto lock = Lock();
  auto device = DeviceById(id);
  if (!device) return false;
  device->description.tagsSupported = std::move(tags);
  return true;
}

ObjectId PlayerModel::FindDevice(const WString& name) const {
  auto lock = Lock();
  for (const auto& device : devices_)
    if (device->description.name == name) return device->id;
  return 0;
}

ObjectId PlayerModel::Find(ObjectId deviceId, const WString& path) const {
  auto lock = Lock();
  auto device = DeviceById(deviceId);
  const std::vector<WString> parts = SplitPath(path);
  if (!device || parts.empty()) return 0;
  std::shared_ptr<ModelObject> current;
  for (const auto& medium : device->media)
    if (wide::EqualsIgnoreCaseAscii(medium->description.name, parts[0])) current = medium->root;
  for (size_t i = 1; current && i < parts.size(); ++i) current = ChildNamed(*current, parts[i]);
  return current ? current->id : 0;
}

std::optional<ObjectInfo> PlayerModel::Inspect(ObjectId id) const {
  auto lock = Lock();
  auto found = objects_.find(id);
  auto object = found == objects_.end() ? nullptr : found->second.lock();
  if (!object) return std::nullopt;
  LoadDetails(*object);
  ObjectInfo info;
  static_cast<ObjectFields&>(info) = *object;
  info.attributes = ReportedAttributes(*object);
  for (const auto& child : object->children) info.children.push_back(child->name);
  for (const auto& entry : object->references) {
    auto target = entry.lock();
    info.references.push_back(target ? target->id : 0);
  }
  info.deleted = object->deleted;
  return info;
}

StorageHandle PlayerModel::HandleById(ObjectId id) const {
  auto lock = Lock();
  auto object = ObjectById(id);
  return object ? HandleOf(object) : StorageHandle();
}

ULONGLONG PlayerModel::FreeSpace(ObjectId id) const {
  auto lock = Lock();
  auto medium = MediumById(id);
  return medium ? medium->FreeSpace() : 0;
}

std::vector<ObjectId> PlayerModel::Devices() const {
  auto lock = Lock();
  std::vector<ObjectId> ids;
  for (const auto& device : devices_) ids.push_back(device->id);
  return ids;
}

std::vector<std::shared_ptr<ModelDevice>> PlayerModel::PresentDevices() const {
  auto lock = Lock();
  std::vector<std::shared_ptr<ModelDevice>> present;
  for (const auto& device : devices_)
    if (device->present) present.push_back(device);
  return present;
}

std::vector<DeviceView> PlayerModel::PresentDeviceViews() const {
  auto lock = Lock();
  std::vector<DeviceView> views;
  // The platform shows each storage of an MTP player as a device of its own
  // unless the client asked it not to before enumerating; a provider may
  // show them so whatever the client asked.
  const bool asked = enumPreferenceSet_ && (enumPreference_ & DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES);
  for (const auto& device : PresentDevices()) {
    const auto media = ListedMedia(*device);
    const bool asDevices = device->description.storagesAsDevices || (IsMtp(*device) && !asked);
    if (!asDevices || media.size() < 2) {
      views.push_back({device, nullptr});
      continue;
    }
    for (const auto& medium : media) views.push_back({device, medium});
  }
  return views;
}

WString PlayerModel::KnownNameOf(const DeviceView& view) const {
  auto lock = Lock();
  const WString& name = view.device->knownName;
  if (!view.medium) return name;
  const auto& media = view.device->media;
  const size_t place = std::find(media.begin(), media.end(), view.medium) - media.begin();
  const size_t dollar = name.rfind(W('$'));
  return (dollar == WString::npos ? name : name.substr(0, dollar)) + W("$") + wide::FromUnsigned(place);
}

std::optional<DeviceView> PlayerModel::ViewByKnownName(const WString& name) const {
  auto lock = Lock();
  for (const DeviceView& view : PresentDeviceViews())
    if (wide::EqualsIgnoreCaseAscii(KnownNameOf(view), name)) return view;
  return std::nullopt;
}

std::vector<std::shared_ptr<ModelMedium>> PlayerModel::ListedMedia(const ModelDevice& device) const {
  auto lock = Lock();
  std::vector<std::shared_ptr<ModelMedium>> listed;
  for (const auto& medium : device.media)
    if (medium->listed) listed.push_back(medium);
  return listed;
}

void PlayerModel::Reinitialize() {
  auto lock = Lock();
  for (const auto& device : devices_)
    for (const auto& medium : device->media) medium->listed = true;
}

bool PlayerModel::IsAlive(const StorageHandle& handle) const {
  auto lock = Lock();
  return handle.device && handle.device->present && handle.medium && handle.medium->present && handle.object &&
         !handle.object->deleted && handle.object->generation == handle.generation;
}

void PlayerModel::MaybeRemoveStore(const std::shared_ptr<ModelMedium>& medium) {
  if (!medium || !chaos_.Roll(ChaosKind::RemoveStore)) return;
  RemoveMedium(medium->id);
}

HRESULT PlayerModel::CheckAlive(const StorageHandle& handle) const {
  return IsAlive(handle) ? S_OK : StaleAnswer(handle);
}

bool PlayerModel::IsAlive(const ModelDevice& device) const {
  auto lock = Lock();
  return device.present;
}

StorageHandle PlayerModel::HandleOf(const std::shared_ptr<ModelObject>& object) const {
  auto lock = Lock();
  StorageHandle handle;
  handle.object = object;
  handle.generation = object->generation;
  handle.medium = object->medium->shared_from_this();
  handle.device = object->medium->device->shared_from_this();
  return handle;
}

std::optional<StorageHandle> PlayerModel::ParentHandle(const StorageHandle& handle) const {
  auto lock = Lock();
  auto parent = handle.object->parent.lock();
  if (!parent) return std::nullopt;
  return HandleOf(parent);
}

std::shared_ptr<ModelObject> PlayerModel::ChildNamed(const ModelObject& folder, const WString& name) const {
  return folder.children.Named(name);
}

DWORD PlayerModel::ReportedAttributes(const ModelObject& object) const {
  DWORD attributes = object.attributes;
  if (!object.IsFolder()) return attributes;
  for (const auto& child : object.children)
    attributes |= child->IsFolder() ? WMDM_STORAGE_ATTR_HAS_FOLDERS : WMDM_STORAGE_ATTR_HAS_FILES;
  return attributes;
}

void PlayerModel::LoadDetails(ModelObject& object) const {
  auto lock = Lock();
  if (!object.detailsPending || !object.medium) return;
  object.detailsPending = false;
  object.medium->store->LoadDetails(object);
}

std::optional<std::vector<ModelTag>> PlayerModel::LoadedTags(ObjectId id) const {
  auto lock = Lock();
  auto found = objects_.find(id);
  auto object = found == objects_.end() ? nullptr : found->second.lock();
  if (!object) return std::nullopt;
  LoadDetails(*object);
  return object->tags;
}

void PlayerModel::LoadFormat(ModelObject& object) const {
  auto lock = Lock();
  if (!object.formatPending || !object.medium) return;
  object.formatPending = false;
  object.medium->store->LoadFormat(object);
}

HRESULT PlayerModel::SetDeviceEnumPreference(DWORD preference) {
  auto lock = Lock();
  if (preference & ~(DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES | ALLOW_OUTOFBAND_NOTIFICATION)) return E_INVALIDARG;
  if (enumPreferenceSet_ && preference == enumPreference_) return S_OK;
  if (devicesEnumerated_ || enumPreferenceSet_) return WMDM_E_CALL_OUT_OF_SEQUENCE;
  enumPreference_ = preference;
  enumPreferenceSet_ = true;
  return S_OK;
}

void PlayerModel::NoteDevicesEnumerated() {
  auto lock = Lock();
  devicesEnumerated_ = true;
}

std::shared_ptr<ModelDevice> PlayerModel::DeviceById(ObjectId id) const {
  for (const auto& device : devices_)
    if (device->id == id) return device;
  return nullptr;
}

std::shared_ptr<ModelMedium> PlayerModel::MediumById(ObjectId id) const {
  for (const auto& device : devices_)
    for (const auto& medium : device->media)
      if (medium->id == id) return medium;
  return nullptr;
}

std::shared_ptr<ModelObject> PlayerModel::ObjectById(ObjectId id) const {
  auto found = objects_.find(id);
  auto object = found == objects_.end() ? nullptr : found->second.lock();
  return object && !object->deleted ? object : nullptr;
}

std::shared_ptr<ModelObject> PlayerModel::NewChild(const std::shared_ptr<ModelObject>& parent, const WString& name,
                                                   DWORD attributes) {
  auto child = std::make_shared<ModelObject>();
  child->id = NextId();
  child->name = name;
  child->attributes = attributes;
  Insert(parent, child, parent->children.size());
  return child;
}

void PlayerModel::Insert(const std::shared_ptr<ModelObject>& parent, const std::shared_ptr<ModelObject>& child,
                         size_t position) {
  child->parent = parent;
  child->medium = parent->medium;
  parent->children.Insert(position, child);
  objects_[child->id] = child;
}

}  // namespace wmdm_standin
