#include "metadata_bag.h"

#include <cstring>
#include <optional>

#include "player_model.h"
#include "standin_ids.h"

namespace wmdm_standin {
namespace {

// The byte length each fixed-size type must have.
UINT FixedLength(WMDM_TAG_DATATYPE type) {
  switch (type) {
    case WMDM_TYPE_DWORD:
    case WMDM_TYPE_BOOL: return 4;
    case WMDM_TYPE_QWORD: return 8;
    case WMDM_TYPE_WORD: return 2;
    case WMDM_TYPE_GUID: return 16;
    case WMDM_TYPE_DATE: return sizeof(WMDMDATETIME);
    default: return 0;
  }
}

bool IsKnownType(WMDM_TAG_DATATYPE type) { return type >= WMDM_TYPE_DWORD && type <= WMDM_TYPE_DATE; }

HRESULT CopyValueOut(const ModelTag& tag, WMDM_TAG_DATATYPE* type, BYTE** value, UINT* length) {
  auto* copy = static_cast<BYTE*>(CoTaskMemAlloc(tag.value.empty() ? 1 : tag.value.size()));
  if (!copy) return E_OUTOFMEMORY;
  if (!tag.value.empty()) std::memcpy(copy, tag.value.data(), tag.value.size());
  *type = tag.type;
  *value = copy;
  *length = static_cast<UINT>(tag.value.size());
  return S_OK;
}

}  // namespace

MetaDataBag::MetaDataBag(std::shared_ptr<PlayerModel> model, std::vector<ModelTag> tags, ObjectId source,
                         bool deferred)
    : model_(std::move(model)), tags_(std::move(tags)), source_(source), deferred_(deferred) {}

void MetaDataBag::Complete() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!deferred_) return;
  }
  std::optional<std::vector<ModelTag>> loaded = model_->LoadedTags(source_);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!deferred_) return;
  deferred_ = false;
  // An object gone meanwhile keeps what was known of it.
  if (loaded) tags_ = std::move(*loaded);
}

HRESULT MetaDataBag::QueryOtherInterface(REFIID riid, void** object) {
  if (!IsEqualGUID(riid, IID_IStandInMetaData)) return E_NOINTERFACE;
  *object = static_cast<IWMDMMetaData*>(this);
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MetaDataBag::AddItem(WMDM_TAG_DATATYPE type, LPCWSTR name, BYTE* value, UINT length) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::MetaData, "AddItem", source_);
  if (!name || !*name || !IsKnownType(type) || (length > 0 && !value)) return E_INVALIDARG;
  const UINT fixed = FixedLength(type);
  if ((fixed && length != fixed) || (type == WMDM_TYPE_STRING && length % sizeof(WCHAR) != 0)) return E_INVALIDARG;
  ModelTag tag{name, type, std::vector<BYTE>(value, value + length)};
  Complete();
  std::lock_guard<std::mutex> lock(mutex_);
  for (ModelTag& existing : tags_) {
    if (existing.name == tag.name) {
      existing = std::move(tag);
      return S_OK;
    }
  }
  tags_.push_back(std::move(tag));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MetaDataBag::QueryByName(LPCWSTR name, WMDM_TAG_DATATYPE* type, BYTE** value,
                                                   UINT* length) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::MetaData, "QueryByName", source_);
  if (!name || !type || !value || !length) return E_INVALIDARG;
  *value = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const ModelTag& tag : tags_)
      if (tag.name == name) return CopyValueOut(tag, type, value, length);
    if (!deferred_) return E_INVALIDARG;
  }
  Complete();
  std::lock_guard<std::mutex> lock(mutex_);
  for (const ModelTag& tag : tags_)
    if (tag.name == name) return CopyValueOut(tag, type, value, length);
  return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE MetaDataBag::QueryByIndex(UINT index, WCHAR** name, WMDM_TAG_DATATYPE* type, BYTE** value,
                                                    UINT* length) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::MetaData, "QueryByIndex", source_);
  if (!name || !type || !value || !length) return E_INVALIDARG;
  *name = nullptr;
  *value = nullptr;
  Complete();
  std::lock_guard<std::mutex> lock(mutex_);
  if (index >= tags_.size()) return E_INVALIDARG;
  WCHAR* nameCopy = TaskMemString(tags_[index].name);
  if (!nameCopy) return E_OUTOFMEMORY;
  const HRESULT result = CopyValueOut(tags_[index], type, value, length);
  if (FAILED(result)) {
    CoTaskMemFree(nameCopy);
    return result;
  }
  *name = nameCopy;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MetaDataBag::GetItemCount(UINT* count) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::MetaData, "GetItemCount", source_);
  if (!count) return E_INVALIDARG;
  Complete();
  std::lock_guard<std::mutex> lock(mutex_);
  *count = static_cast<UINT>(tags_.size());
  return S_OK;
}

std::vector<ModelTag> MetaDataBag::Tags() const {
  Complete();
  std::lock_guard<std::mutex> lock(mutex_);
  return tags_;
}

HRESULT ReadAllTags(IWMDMMetaData* metadata, std::vector<ModelTag>* tags) {
  tags->clear();
  if (!metadata) return S_OK;
  ComPtr<IWMDMMetaData> own;
  if (SUCCEEDED(metadata->QueryInterface(IID_IStandInMetaData, own.AsVoidOut()))) {
    *tags = static_cast<MetaDataBag*>(own.Get())->Tags();
    return S_OK;
  }
  UINT count = 0;
  RETURN_IF_FAILED(metadata->GetItemCount(&count));
  for (UINT i = 0; i < count; ++i) {
    WCHAR* name = nullptr;
    BYTE* value = nullptr;
    WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
    UINT length = 0;
    const HRESULT result = metadata->QueryByIndex(i, &name, &type, &value, &length);
    if (SUCCEEDED(result)) tags->push_back(ModelTag{wide::FromPtr(name), type, std::vector<BYTE>(value, value + length)});
    CoTaskMemFree(name);
    CoTaskMemFree(value);
    RETURN_IF_FAILED(result);
  }
  return S_OK;
}

}  // namespace wmdm_standin
