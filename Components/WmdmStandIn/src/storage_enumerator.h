// IWMDMEnumStorage over the children of a storage, or the media of a device,
// as they were when the enumerator was made. Children deleted since are
// passed over; once the storage or device enumerated goes away the
// enumerator is dead too.
#pragma once

#include "platform/wmdm.h"

#include <memory>
#include <optional>
#include <vector>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class StorageEnumerator final : public IWMDMEnumStorage {
 public:
  // `owner` is the storage enumerated; a device's media have none.
  static IWMDMEnumStorage* Create(std::shared_ptr<PlayerModel> model, std::vector<StorageHandle> items,
                                  std::optional<StorageHandle> owner, ObjectId ownerId,
                                  std::shared_ptr<ModelDevice> device = nullptr);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  STANDIN_REFCOUNT_METHODS

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IWMDMStorage** storages, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count, ULONG* skipped) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IWMDMEnumStorage** clone) override;

 private:
  StorageEnumerator() = default;
  std::optional<HRESULT> Enter(const char* method) const;
  // The next live item, or none at the end.
  std::optional<StorageHandle> Take();

  RefCount refs_;
  std::shared_ptr<PlayerModel> model_;
  std::vector<StorageHandle> items_;
  std::optional<StorageHandle> owner_;
  std::shared_ptr<ModelDevice> device_;
  ObjectId ownerId_ = 0;
  size_t position_ = 0;
};

}  // namespace wmdm_standin
