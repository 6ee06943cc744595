// The content edits the platform's storage control performs, with the
// platform's answers for the ways they can fail.
#include <algorithm>
#include <chrono>

#include <result_macros.h>

#include "player_model.h"
#include "personality.h"

namespace wmdm_standin {
namespace {

constexpr DWORD kErrorDirNotEmpty = 145;

bool IsValidName(const WString& name) {
  if (name.empty()) return false;
  return std::none_of(name.begin(), name.end(), [](WCHAR c) { return c == W('\\') || c == W('/') || c == 0; });
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
WMDMDATETIME DateFromUnixSeconds(long long seconds) {
  long long days = seconds / 86400;
  const long long rest = seconds % 86400;
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  const long long day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  WMDMDATETIME date;
  date.wYear = static_cast<WORD>(year);
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(day);
  date.wHour = static_cast<WORD>(rest / 3600);
  date.wMinute = static_cast<WORD>(rest / 60 % 60);
  date.wSecond = static_cast<WORD>(rest % 60);
  return date;
}

WMDMDATETIME NowUtc() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return DateFromUnixSeconds(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

DWORD TagDword(const std::vector<ModelTag>& tags, const WCHAR* name) {
  DWORD value = 0;
  for (const ModelTag& tag : tags)
    if (tag.name == name) tag.AsDword(&value);
  return value;
}

WORD WaveTagForFormatCode(DWORD formatCode) {
  switch (formatCode) {
    case WMDM_FORMATCODE_MP3: return 0x0055;
    case WMDM_FORMATCODE_WMA: return 0x0161;
    case WMDM_FORMATCODE_WAVE: return 0x0001;
    default: return 0;
  }
}

// What a player would report for a track it was given with these tags.
_WAVEFORMATEX FormatFromTags(const std::vector<ModelTag>& tags) {
  _WAVEFORMATEX format = {};
  format.wFormatTag = WaveTagForFormatCode(TagDword(tags, g_wszWMDMFormatCode));
  format.nChannels = static_cast<WORD>(TagDword(tags, g_wszWMDMNumChannels));
  format.nSamplesPerSec = TagDword(tags, g_wszWMDMSampleRate);
  format.nAvgBytesPerSec = TagDword(tags, g_wszWMDMBitrate) / 8;
  format.nBlockAlign = static_cast<WORD>(TagDword(tags, g_wszWMDMBlockAlignment));
  format.wBitsPerSample = static_cast<WORD>(TagDword(tags, g_wszWMDMAudioBitDepth));
  return format;
}

size_t PositionOf(const ModelObject& parent, const ModelObject& child) { return parent.children.PositionOf(child); }

bool IsAtOrBelow(const ModelObject* object, const ModelObject& top) {
  for (; object; object = object->parent.lock().get())
    if (object == &top) return true;
  return false;
}

// A player that names tracks in its playlists by path rewrites them when one
// is renamed. A fault armed for a playlist ("RewritePlaylist", by its id)
// stands for a rewrite that failed unseen: the playlist loses its entries at
// or below the renamed object, and the rename still succeeds.
void LoseEntriesOnFault(FaultInjector& faults, ModelObject& folder, const ModelObject& renamed) {
  for (const auto& child : folder.children) {
    if (child->IsFolder()) {
      LoseEntriesOnFault(faults, *child, renamed);
      continue;
    }
    auto& entries = child->references;
    auto named = [&](const std::weak_ptr<ModelObject>& entry) { return IsAtOrBelow(entry.lock().get(), renamed); };
    if (std::none_of(entries.begin(), entries.end(), named)) continue;
    if (faults.Enter(ObjectKind::Storage, "RewritePlaylist", child->id))
      entries.erase(std::remove_if(entries.begin(), entries.end(), named), entries.end());
  }
}

HRESULT CheckMediumReady(const ModelMedium& medium) {
  return (medium.description.status & WMDM_STATUS_BUSY) ? WMDM_E_BUSY : S_OK;
}

}  // namespace

HRESULT PlayerModel::CheckPlacement(const StorageHandle& target, const NewObject& request,
                                    std::shared_ptr<ModelObject>* parent, size_t* position) const {
  if (request.placement == NewObject::Placement::Into) {
    if (!target.object->IsFolder()) return E_INVALIDARG;
    *parent = target.object;
    *position = target.object->children.size();
  } else {
    *parent = target.object->parent.lock();
    if (!*parent) return E_INVALIDARG;  // nothing goes beside a medium's root
    *position = PositionOf(**parent, *target.object) + (request.placement == NewObject::Placement::After ? 1 : 0);
  }
  const DWORD capabilities = target.medium->description.capabilities;
  const bool inRoot = *parent == target.medium->root;
  const DWORD needed = request.folder ? (inRoot ? WMDM_STORAGECAP_FOLDERSINROOT : WMDM_STORAGECAP_FOLDERSINFOLDERS)
                                      : (inRoot ? WMDM_STORAGECAP_FILESINROOT : WMDM_STORAGECAP_FILESINFOLDERS);
  return (capabilities & needed) ? S_OK : WMDM_E_NOTSUPPORTED;
}

HRESULT PlayerModel::CreateObject(const StorageHandle& target, const NewObject& request, StorageHandle* created) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(target));
  if (!IsValidName(request.name)) return E_INVALIDARG;
  RETURN_IF_FAILED(CheckMediumReady(*target.medium));
  RETURN_IF_FAILED(CheckNewObjectTags(*target.device, request.tags));
  std::shared_ptr<ModelObject> parent;
  size_t position = 0;
  ContentStore& store = *target.medium->store;
  ULONGLONG room = 0;
  RETURN_IF_FAILED(store.CheckReachableWithRoom(*target.medium, false, &room));
  RETURN_IF_FAILED(CheckPlacement(target, request, &parent, &position));
  RETURN_IF_FAILED(store.CheckName(request.name));

  const ULONGLONG size = request.bytes.empty() ? request.size : request.bytes.size();
  auto existing = ChildNamed(*parent, request.name);
  if (existing && (!request.overwrite || existing->IsFolder() || request.folder))
    return HRESULT_FROM_WIN32(existing->IsFolder() || request.folder ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS);
  const ULONGLONG freed = existing ? existing->size : 0;
  // A room read a moment ago knows nothing of what was freed since: a send
  // it would refuse asks the medium again before refusing.
  if (size > room + freed) RETURN_IF_FAILED(store.CheckReachableWithRoom(*target.medium, true, &room));
  if (size > room + freed) return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  if (request.queryOnly) return S_OK;

  auto object = std::make_shared<ModelObject>();
  object->id = NextId();
  object->name = request.name;
  object->attributes =
      (request.folder ? DefaultFolderAttributes() : DefaultFileAttributes(request.name)) | request.extraAttributes;
  object->size = request.folder ? 0 : size;
  object->tags = request.tags;
  object->format = FormatFromTags(request.tags);
  object->date = NowUtc();
  RETURN_IF_FAILED(store.Create(*parent, request, existing.get(), object.get()));
  faults_.HandToNewChild(ObjectKind::Storage, parent->id, object->id);
  if (existing) {
    position = PositionOf(*parent, *existing);
    MarkDeleted(*existing);
    Detach(*existing);
  }
  Insert(parent, object, std::min(position, parent->children.size()));
  if (created) *created = HandleOf(object);
  return S_OK;
}

HRESULT PlayerModel::DeleteObject(const StorageHandle& handle, bool recursive) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(handle));
  RETURN_IF_FAILED(CheckMediumReady(*handle.medium));
  ModelObject& object = *handle.object;
  // Deleting a medium's root empties the medium; the medium itself stays.
  RETURN_IF_FAILED(handle.medium->store->CheckReachable());
  if (handle.object == handle.medium->root) return EraseMedium(handle);
  if (object.attributes & WMDM_FILE_ATTR_READONLY) return E_ACCESSDENIED;
  if (object.IsFolder() && !object.children.empty() && !recursive) return HRESULT_FROM_WIN32(kErrorDirNotEmpty);
  RETURN_IF_FAILED(handle.medium->store->Remove(object));
  MarkDeleted(object);
  Detach(object);
  return S_OK;
}

HRESULT PlayerModel::RenameObject(const StorageHandle& handle, const WString& newName) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(handle));
  if (!IsValidName(newName)) return E_INVALIDARG;
  RETURN_IF_FAILED(CheckMediumReady(*handle.medium));
  ModelObject& object = *handle.object;
  ContentStore& store = *handle.medium->store;
  RETURN_IF_FAILED(store.CheckReachable());
  RETURN_IF_FAILED(store.CheckName(newName));
  if (auto parent = object.parent.lock()) {
    auto existing = ChildNamed(*parent, newName);
    if (existing && existing.get() != &object) return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    RETURN_IF_FAILED(store.Rename(object, newName));
  } else {
    handle.medium->description.name = newName;
  }
  const WString oldName = object.name;
  object.name = newName;
  if (auto parent = object.parent.lock()) parent->children.Renamed(object, oldName);
  // A file system names objects by path, so a rename ends the interfaces on
  // the old one; an MTP player keeps them by handle.
  if (!IsMtp(*handle.device)) RaiseGeneration(object);
  LoseEntriesOnFault(faults_, *handle.medium->root, object);
  return S_OK;
}

HRESULT PlayerModel::EraseMedium(const StorageHandle& anyStorageOnIt) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(anyStorageOnIt));
  RETURN_IF_FAILED(CheckMediumReady(*anyStorageOnIt.medium));
  ModelObject& root = *anyStorageOnIt.medium->root;
  RETURN_IF_FAILED(anyStorageOnIt.medium->store->Erase(*anyStorageOnIt.medium));
  for (const auto& child : root.children) MarkDeleted(*child);
  root.children.Clear();
  return S_OK;
}

HRESULT PlayerModel::SetReferences(const StorageHandle& playlist, const std::vector<StorageHandle>& entries) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(playlist));
  if (playlist.object->IsFolder()) return WMDM_E_NOTSUPPORTED;
  std::vector<std::weak_ptr<ModelObject>> references;
  std::vector<const ModelObject*> targets;
  for (const StorageHandle& entry : entries) {
    references.push_back(entry.object);
    targets.push_back(entry.object.get());
  }
  RETURN_IF_FAILED(playlist.medium->store->SaveReferences(*playlist.object, targets));
  playlist.object->references = std::move(references);
  return S_OK;
}

HRESULT PlayerModel::GetReferences(const StorageHandle& playlist, std::vector<StorageHandle>* entries) const {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(playlist));
  entries->clear();
  HRESULT result = S_OK;
  for (const auto& reference : playlist.object->references) {
    auto target = reference.lock();
    if (!target || target->deleted) {
      result = S_FALSE;
      continue;
    }
    entries->push_back(HandleOf(target));
  }
  return result;
}

HRESULT PlayerModel::SetTags(const StorageHandle& handle, const std::vector<ModelTag>& tags) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(handle));
  RETURN_IF_FAILED(CheckTagTypes(*handle.device, tags));
  LoadDetails(*handle.object);
  std::vector<ModelTag> merged = handle.object->tags;
  for (const ModelTag& tag : tags) {
    auto same = std::find_if(merged.begin(), merged.end(), [&tag](const ModelTag& t) { return t.name == tag.name; });
    if (same != merged.end())
      *same = tag;
    else
      merged.push_back(tag);
  }
  RETURN_IF_FAILED(handle.medium->store->SaveTags(*handle.object, merged));
  handle.object->tags = std::move(merged);
  return S_OK;
}

HRESULT PlayerModel::SetAttributes(const StorageHandle& handle, DWORD attributes, const _WAVEFORMATEX* format) {
  auto lock = Lock();
  RETURN_IF_FAILED(CheckAlive(handle));
  // What an object is (file or folder) is not an attribute a caller can change.
  const DWORD kind = WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_FOLDER;
  handle.object->attributes = (handle.object->attributes & kind) | (attributes & ~kind);
  if (format) {
    handle.object->format = *format;
    handle.object->formatPending = false;
  }
  return S_OK;
}

void PlayerModel::MarkDeleted(ModelObject& object) {
  object.deleted = true;
  for (const auto& child : object.children) MarkDeleted(*child);
}

void PlayerModel::Detach(ModelObject& object) {
  auto parent = object.parent.lock();
  if (!parent) return;
  parent->children.Remove(object);
}

void PlayerModel::RaiseGeneration(ModelObject& object) {
  ++object.generation;
  for (const auto& child : object.children) RaiseGeneration(*child);
}

}  // namespace wmdm_standin
