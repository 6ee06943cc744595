#include "storage_enumerator.h"

#include "storage.h"

namespace wmdm_standin {

IWMDMEnumStorage* StorageEnumerator::Create(std::shared_ptr<PlayerModel> model, std::vector<StorageHandle> items,
                                            std::optional<StorageHandle> owner, ObjectId ownerId,
                                            std::shared_ptr<ModelDevice> device) {
  auto* enumerator = new StorageEnumerator();
  enumerator->model_ = std::move(model);
  enumerator->items_ = std::move(items);
  enumerator->owner_ = std::move(owner);
  enumerator->device_ = std::move(device);
  enumerator->ownerId_ = ownerId;
  return enumerator;
}

HRESULT STDMETHODCALLTYPE StorageEnumerator::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IWMDMEnumStorage)) return E_NOINTERFACE;
  *object = static_cast<IWMDMEnumStorage*>(this);
  AddRef();
  return S_OK;
}

std::optional<HRESULT> StorageEnumerator::Enter(const char* method) const {
  if (auto injected = model_->Faults().Enter(ObjectKind::StorageEnumerator, method, ownerId_)) return injected;
  if (owner_ && !model_->IsAlive(*owner_)) return WMDM_E_INTERFACEDEAD;
  if (device_ && !model_->IsAlive(*device_)) return WMDM_E_INTERFACEDEAD;
  return std::nullopt;
}

std::optional<StorageHandle> StorageEnumerator::Take() {
  auto lock = model_->Lock();
  while (position_ < items_.size()) {
    const StorageHandle& item = items_[position_++];
    if (model_->IsAlive(item)) return item;
  }
  return std::nullopt;
}

HRESULT STDMETHODCALLTYPE StorageEnumerator::Next(ULONG count, IWMDMStorage** storages, ULONG* fetched) {
  if (auto early = Enter("Next")) return *early;
  if (!storages || (!fetched && count != 1)) return E_INVALIDARG;
  ULONG got = 0;
  while (got < count) {
    auto item = Take();
    if (!item) break;
    storages[got++] = Storage::Create(model_, *item);
  }
  if (fetched) *fetched = got;
  return got == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE StorageEnumerator::Skip(ULONG count, ULONG* skipped) {
  if (auto early = Enter("Skip")) return *early;
  ULONG done = 0;
  while (done < count && Take()) ++done;
  if (skipped) *skipped = done;
  return done == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE StorageEnumerator::Reset() {
  if (auto early = Enter("Reset")) return *early;
  position_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE StorageEnumerator::Clone(IWMDMEnumStorage** clone) {
  if (auto early = Enter("Clone")) return *early;
  if (!clone) return E_INVALIDARG;
  auto* copy = static_cast<StorageEnumerator*>(Create(model_, items_, owner_, ownerId_, device_));
  copy->position_ = position_;
  *clone = copy;
  return S_OK;
}

}  // namespace wmdm_standin
