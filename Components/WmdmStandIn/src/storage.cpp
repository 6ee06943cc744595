#include "storage.h"

#include <algorithm>

#include "metadata_bag.h"
#include "personality.h"
#include "standin_ids.h"
#include "storage_enumerator.h"
#include "storage_globals.h"

namespace wmdm_standin {

Storage::Storage(std::shared_ptr<PlayerModel> model, StorageHandle handle)
    : model_(std::move(model)), handle_(std::move(handle)) {}

ComPtr<IWMDMStorage> Storage::OwnStorage(IWMDMStorage* storage, const Storage** own) {
  *own = nullptr;
  ComPtr<IWMDMStorage> found;
  if (storage && SUCCEEDED(storage->QueryInterface(IID_IStandInStorage, found.AsVoidOut())))
    *own = static_cast<const Storage*>(static_cast<IWMDMStorage4*>(found.Get()));
  return found;
}

HRESULT Storage::QueryOtherInterface(REFIID riid, void** object) {
  if (!IsEqualGUID(riid, IID_IStandInStorage)) return E_NOINTERFACE;
  *object = static_cast<IWMDMStorage4*>(this);
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::QueryInterface(REFIID riid, void** object) {
  if (object && IsEqualIID(riid, IID_IWMDMStorageControl3)) {
    if (auto refused = model_->Faults().Enter(ObjectKind::Storage, "QueryInterface(IWMDMStorageControl3)",
                                              handle_.object->id)) {
      *object = nullptr;
      return *refused;
    }
  }
  return StandInObject::QueryInterface(riid, object);
}

std::optional<HRESULT> Storage::Enter(const char* method) const {
  bool lasting = false;
  if (auto injected = model_->Faults().Enter(ObjectKind::Storage, method, handle_.object->id, &lasting)) {
    if (*injected == kProviderStaleAnswer) injected = StaleAnswer(handle_);
    if (lasting) deadAnswer_ = *injected;
    return injected;
  }
  if (const HRESULT dead = deadAnswer_; dead != S_OK) return dead;
  model_->ChaosMode().MaybeSlow();
  model_->MaybeRemoveStore(handle_.medium);
  // A file another program removed meanwhile answers as a deleted one.
  model_->CatchUp(*handle_.object, false);
  if (!model_->IsAlive(handle_)) return StaleAnswer(handle_);
  return std::nullopt;
}

HRESULT STDMETHODCALLTYPE Storage::SetAttributes(DWORD attributes, _WAVEFORMATEX* format) {
  STORAGE_ENTER("SetAttributes");
  return model_->SetAttributes(handle_, attributes, format);
}

HRESULT STDMETHODCALLTYPE Storage::GetStorageGlobals(IWMDMStorageGlobals** globals) {
  STORAGE_ENTER("GetStorageGlobals");
  if (!globals) return E_INVALIDARG;
  return MakeComObjectInto<StorageGlobals>(globals, model_, handle_.device, handle_.medium, this);
}

HRESULT STDMETHODCALLTYPE Storage::GetAttributes(DWORD* attributes, _WAVEFORMATEX* format) {
  STORAGE_ENTER("GetAttributes");
  if (!attributes) return E_INVALIDARG;
  auto lock = model_->Lock();
  // A store may read the format from the file: only when it is asked for.
  if (format) model_->LoadFormat(*handle_.object);
  *attributes = model_->ReportedAttributes(*handle_.object);
  if (format) *format = handle_.object->format;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::GetName(LPWSTR name, UINT maxChars) {
  STORAGE_ENTER("GetName");
  auto lock = model_->Lock();
  return CopyNameOut(handle_.object->name, name, maxChars);
}

HRESULT STDMETHODCALLTYPE Storage::GetDate(PWMDMDATETIME date) {
  STORAGE_ENTER("GetDate");
  auto lock = model_->Lock();
  return CopyOut(date, handle_.object->date);
}

HRESULT STDMETHODCALLTYPE Storage::GetSize(DWORD* sizeLow, DWORD* sizeHigh) {
  STORAGE_ENTER("GetSize");
  if (!sizeLow) return E_INVALIDARG;
  auto lock = model_->Lock();
  const ULONGLONG size = handle_.object->size;
  *sizeLow = static_cast<DWORD>(size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::GetRights(PWMDMRIGHTS*, UINT*, BYTE*) {
  STORAGE_ENTER("GetRights");
  return NotImplemented("IWMDMStorage::GetRights");
}

HRESULT STDMETHODCALLTYPE Storage::EnumStorage(IWMDMEnumStorage** enumerator) {
  STORAGE_ENTER("EnumStorage");
  if (!enumerator) return E_INVALIDARG;
  auto lock = model_->Lock();
  model_->CatchUp(*handle_.object, true);
  if (handle_.object->deleted) return StaleAnswer(handle_);  // the folder itself went
  std::vector<StorageHandle> children;
  for (const auto& child : handle_.object->children) children.push_back(model_->HandleOf(child));
  return MakeComObjectInto<StorageEnumerator>(enumerator, model_, std::move(children), handle_, handle_.object->id);
}

HRESULT STDMETHODCALLTYPE Storage::SendOpaqueCommand(OPAQUECOMMAND*) {
  STORAGE_ENTER("SendOpaqueCommand");
  return NotImplemented("IWMDMStorage::SendOpaqueCommand");
}

HRESULT Storage::ChildNamed(const std::shared_ptr<PlayerModel>& model, const ModelObject* folder, LPCWSTR name,
                            IWMDMStorage** storage) {
  if (!name || !storage) return E_INVALIDARG;
  *storage = nullptr;
  if (folder) model->CatchUpName(*folder, name);
  if (folder && folder->deleted) return StaleAnswer(*folder);  // the folder itself went
  auto child = folder ? model->ChildNamed(*folder, name) : nullptr;
  if (!child) return S_FALSE;
  return MakeComObjectInto<Storage>(storage, model, model->HandleOf(child));
}

HRESULT STDMETHODCALLTYPE Storage::GetStorage(LPCWSTR name, IWMDMStorage** storage) {
  STORAGE_ENTER("GetStorage");
  auto lock = model_->Lock();
  return ChildNamed(model_, handle_.object.get(), name, storage);
}

HRESULT STDMETHODCALLTYPE Storage::SetAttributes2(DWORD attributes, DWORD, _WAVEFORMATEX* format, _VIDEOINFOHEADER*) {
  STORAGE_ENTER("SetAttributes2");
  return model_->SetAttributes(handle_, attributes, format);
}

HRESULT STDMETHODCALLTYPE Storage::GetAttributes2(DWORD* attributes, DWORD* attributesEx, _WAVEFORMATEX* audioFormat,
                                                  _VIDEOINFOHEADER* videoFormat) {
  STORAGE_ENTER("GetAttributes2");
  if (!attributes || !attributesEx) return E_INVALIDARG;
  auto lock = model_->Lock();
  if (audioFormat) model_->LoadFormat(*handle_.object);
  *attributes = model_->ReportedAttributes(*handle_.object);
  *attributesEx = 0;
  if (audioFormat) *audioFormat = handle_.object->format;
  if (videoFormat) *videoFormat = _VIDEOINFOHEADER{};
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::GetMetadata(IWMDMMetaData** metadata) {
  STORAGE_ENTER("GetMetadata");
  if (!metadata) return E_INVALIDARG;
  auto lock = model_->Lock();
  // Tags a store has still to read are read when the bag is asked for more
  // than the format code.
  return model_->ChaosMode().MaybeOddSuccess(
      MakeComObjectInto<MetaDataBag>(metadata, model_, handle_.object->tags, handle_.object->id,
                                     handle_.object->detailsPending),
      WMDM_S_NOT_ALL_PROPERTIES_RETRIEVED);
}

HRESULT STDMETHODCALLTYPE Storage::SetMetadata(IWMDMMetaData* metadata) {
  STORAGE_ENTER("SetMetadata");
  if (!metadata) return E_INVALIDARG;
  std::vector<ModelTag> tags;
  RETURN_IF_FAILED(ReadAllTags(metadata, &tags));
  return model_->ChaosMode().MaybeOddSuccess(model_->SetTags(handle_, tags), WMDM_S_NOT_ALL_PROPERTIES_APPLIED);
}

HRESULT STDMETHODCALLTYPE Storage::CreateEmptyMetadataObject(IWMDMMetaData** metadata) {
  STORAGE_ENTER("CreateEmptyMetadataObject");
  if (!metadata) return E_INVALIDARG;
  return MakeComObjectInto<MetaDataBag>(metadata, model_, std::vector<ModelTag>(), ObjectId{0});
}

// The stand-in has no metadata views: it enumerates the file system as it is.
HRESULT STDMETHODCALLTYPE Storage::SetEnumPreference(WMDM_STORAGE_ENUM_MODE* mode, DWORD viewCount,
                                                     WMDMMetadataView* views) {
  STORAGE_ENTER("SetEnumPreference");
  if (!mode || (viewCount > 0 && !views)) return E_INVALIDARG;
  switch (*mode) {
    case ENUM_MODE_RAW:
      return S_OK;
    case ENUM_MODE_USE_DEVICE_PREF:
      *mode = ENUM_MODE_RAW;
      return S_OK;
    case ENUM_MODE_METADATA_VIEWS:
      return WMDM_E_NOTSUPPORTED;
    default:
      return E_INVALIDARG;
  }
}

HRESULT STDMETHODCALLTYPE Storage::SetReferences(DWORD count, IWMDMStorage** storages) {
  STORAGE_ENTER("SetReferences");
  if (count > 0 && !storages) return E_INVALIDARG;
  std::vector<StorageHandle> entries;
  for (DWORD i = 0; i < count; ++i) {
    const Storage* entry = nullptr;
    ComPtr<IWMDMStorage> hold = OwnStorage(storages[i], &entry);
    if (!entry) return E_INVALIDARG;
    // An entry whose object the device forgot, or one killed by InjectDeath.
    if (!model_->IsAlive(entry->handle_) || entry->deadAnswer_ != S_OK) return StaleReferenceAnswer(*handle_.device);
    entries.push_back(entry->handle_);
  }
  return model_->SetReferences(handle_, entries);
}

HRESULT STDMETHODCALLTYPE Storage::GetReferences(DWORD* count, IWMDMStorage*** storages) {
  STORAGE_ENTER("GetReferences");
  if (!count || !storages) return E_INVALIDARG;
  *count = 0;
  *storages = nullptr;
  std::vector<StorageHandle> entries;
  const HRESULT result = model_->GetReferences(handle_, &entries);
  RETURN_IF_FAILED(result);
  if (entries.empty()) return result;
  std::vector<ComPtr<IWMDMStorage>> made;
  for (const StorageHandle& entry : entries) {
    made.push_back(MakeComObject<Storage>(model_, entry));
    if (!made.back()) return E_OUTOFMEMORY;
  }
  auto* array = static_cast<IWMDMStorage**>(CoTaskMemAlloc(made.size() * sizeof(IWMDMStorage*)));
  if (!array) return E_OUTOFMEMORY;
  for (size_t i = 0; i < made.size(); ++i) array[i] = made[i].Detach();
  *count = static_cast<DWORD>(made.size());
  *storages = array;
  return result;
}

HRESULT STDMETHODCALLTYPE Storage::GetRightsWithProgress(IWMDMProgress3*, PWMDMRIGHTS*, UINT*) {
  STORAGE_ENTER("GetRightsWithProgress");
  return NotImplemented("IWMDMStorage4::GetRightsWithProgress");
}

HRESULT STDMETHODCALLTYPE Storage::GetSpecifiedMetadata(DWORD count, LPCWSTR* names, IWMDMMetaData** metadata) {
  STORAGE_ENTER("GetSpecifiedMetadata");
  if (!metadata || (count > 0 && !names)) return E_INVALIDARG;
  auto lock = model_->Lock();
  std::vector<ModelTag> chosen;
  model_->LoadDetails(*handle_.object);
  for (const ModelTag& tag : handle_.object->tags) {
    if (std::any_of(names, names + count, [&tag](LPCWSTR name) { return name && tag.name == name; }))
      chosen.push_back(tag);
  }
  return model_->ChaosMode().MaybeOddSuccess(
      MakeComObjectInto<MetaDataBag>(metadata, model_, std::move(chosen), handle_.object->id),
      WMDM_S_NOT_ALL_PROPERTIES_RETRIEVED);
}

HRESULT STDMETHODCALLTYPE Storage::FindStorage(WMDM_FIND_SCOPE, LPCWSTR, IWMDMStorage**) {
  STORAGE_ENTER("FindStorage");
  return NotImplemented("IWMDMStorage4::FindStorage");
}

// A medium's root has no parent: S_FALSE and no storage.
HRESULT STDMETHODCALLTYPE Storage::GetParent(IWMDMStorage** parent) {
  STORAGE_ENTER("GetParent");
  if (!parent) return E_INVALIDARG;
  *parent = nullptr;
  auto handle = model_->ParentHandle(handle_);
  if (!handle) return S_FALSE;
  return MakeComObjectInto<Storage>(parent, model_, *handle);
}

}  // namespace wmdm_standin
