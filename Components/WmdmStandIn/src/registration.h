// Makes the stand-in the device manager the process finds under
// CLSID_MediaDevMgr: hosts and tests register its class object over a player
// model before the plug-in calls CoCreateInstance, and revoke it afterwards.
// COM must be initialised on the calling thread.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>

#include <com_ptr.h>

#include "player_model.h"

namespace wmdm_standin {

HRESULT RegisterDeviceManagerClass(std::shared_ptr<PlayerModel> model, DWORD* cookie);
HRESULT RevokeDeviceManagerClass(DWORD cookie);

// Registers for one scope.
class DeviceManagerRegistration {
 public:
  DeviceManagerRegistration() = default;
  ~DeviceManagerRegistration() { Revoke(); }
  DeviceManagerRegistration(const DeviceManagerRegistration&) = delete;
  DeviceManagerRegistration& operator=(const DeviceManagerRegistration&) = delete;

  HRESULT Register(std::shared_ptr<PlayerModel> model);
  void Revoke();
  bool Registered() const { return cookie_ != 0; }

 private:
  DWORD cookie_ = 0;
};

// The class object itself, for callers that register it their own way.
ComPtr<IClassFactory> CreateDeviceManagerFactory(std::shared_ptr<PlayerModel> model);

}  // namespace wmdm_standin
