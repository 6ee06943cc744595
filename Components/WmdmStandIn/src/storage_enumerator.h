// IWMDMEnumStorage over the children of a storage, or the media of a device,
// as they were when the enumerator was made. Children deleted since are still
// handed out (and dead); once the storage or device enumerated goes away the
// enumerator is dead too.
#pragma once

#include <mswmdm.h>

#include <memory>
#include <optional>
#include <vector>

#include "personality.h"
#include "snapshot_enumerator.h"
#include "storage.h"

namespace wmdm_standin {

class StorageEnumerator final
    : public SnapshotEnumerator<StorageEnumerator, IWMDMEnumStorage, IWMDMStorage, Storage, StorageHandle> {
 public:
  // `owner` is the storage enumerated; a device's media have none.
  StorageEnumerator(std::shared_ptr<PlayerModel> model, std::vector<StorageHandle> items,
                    std::optional<StorageHandle> owner, ObjectId ownerId, std::shared_ptr<ModelDevice> device = nullptr)
      : SnapshotEnumerator(std::move(model), std::move(items)),
        owner_(std::move(owner)),
        device_(std::move(device)),
        ownerId_(ownerId) {}

  std::optional<HRESULT> Enter(const char* method) const {
    if (auto injected = model_->Faults().Enter(ObjectKind::StorageEnumerator, method, ownerId_)) return injected;
    // Between two calls of one listing the medium may go (under chaos).
    if (owner_) model_->MaybeRemoveStore(owner_->medium);
    if (owner_ && !model_->IsAlive(*owner_)) return StaleAnswer(*owner_);
    if (device_ && !model_->IsAlive(*device_)) return WMDM_E_INTERFACEDEAD;
    return std::nullopt;
  }
  ComPtr<StorageEnumerator> MakeClone() const {
    return MakeComObject<StorageEnumerator>(model_, Items(), owner_, ownerId_, device_);
  }

 private:
  std::optional<StorageHandle> owner_;
  std::shared_ptr<ModelDevice> device_;
  ObjectId ownerId_ = 0;
};

}  // namespace wmdm_standin
