// IWMDMEnumDevice over the devices connected when it was made; devices that
// went away since are passed over.
#pragma once

#include "platform/wmdm.h"

#include <memory>
#include <vector>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class DeviceEnumerator final : public IWMDMEnumDevice {
 public:
  static IWMDMEnumDevice* Create(std::shared_ptr<PlayerModel> model, std::vector<std::shared_ptr<ModelDevice>> devices);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  STANDIN_REFCOUNT_METHODS

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IWMDMDevice** devices, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count, ULONG* skipped) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IWMDMEnumDevice** clone) override;

 private:
  DeviceEnumerator() = default;
  std::shared_ptr<ModelDevice> Take();

  RefCount refs_;
  std::shared_ptr<PlayerModel> model_;
  std::vector<std::shared_ptr<ModelDevice>> devices_;
  size_t position_ = 0;
};

}  // namespace wmdm_standin
