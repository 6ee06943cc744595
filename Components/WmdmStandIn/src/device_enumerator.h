// IWMDMEnumDevice over the devices connected when it was made; a device that
// went away since is still handed out, and answers WMDM_E_INTERFACEDEAD.
#pragma once

#include <mswmdm.h>

#include <memory>
#include <optional>
#include <vector>

#include "device.h"
#include "snapshot_enumerator.h"

namespace wmdm_standin {

class DeviceEnumerator final
    : public SnapshotEnumerator<DeviceEnumerator, IWMDMEnumDevice, IWMDMDevice, Device, DeviceView> {
 public:
  DeviceEnumerator(std::shared_ptr<PlayerModel> model, std::vector<DeviceView> devices)
      : SnapshotEnumerator(std::move(model), std::move(devices)) {}

  std::optional<HRESULT> Enter(const char* method) const {
    return model_->Faults().Enter(ObjectKind::DeviceEnumerator, method, 0);
  }
  ComPtr<DeviceEnumerator> MakeClone() const { return MakeComObject<DeviceEnumerator>(model_, Items()); }
};

}  // namespace wmdm_standin
