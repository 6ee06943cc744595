#include "registration.h"

#include <com_ptr.h>

#include "com_support.h"
#include "device_manager.h"

namespace wmdm_standin {
namespace {

class DeviceManagerFactory final : public StandInObject<DeviceManagerFactory, IClassFactory> {
 public:
  explicit DeviceManagerFactory(std::shared_ptr<PlayerModel> model) : model_(std::move(model)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    const ComPtr<DeviceManager> manager = DeviceManager::Create(model_);
    if (!manager) return E_OUTOFMEMORY;
    return manager->QueryInterface(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  std::shared_ptr<PlayerModel> model_;
};

}  // namespace

ComPtr<IClassFactory> CreateDeviceManagerFactory(std::shared_ptr<PlayerModel> model) {
  return MakeComObject<DeviceManagerFactory>(std::move(model));
}

HRESULT RegisterDeviceManagerClass(std::shared_ptr<PlayerModel> model, DWORD* cookie) {
  if (!model || !cookie) return E_INVALIDARG;
  *cookie = 0;
  const ComPtr<IClassFactory> factory = CreateDeviceManagerFactory(std::move(model));
  if (!factory) return E_OUTOFMEMORY;
  return CoRegisterClassObject(CLSID_MediaDevMgr, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, cookie);
}

HRESULT RevokeDeviceManagerClass(DWORD cookie) { return CoRevokeClassObject(cookie); }

HRESULT DeviceManagerRegistration::Register(std::shared_ptr<PlayerModel> model) {
  Revoke();
  return RegisterDeviceManagerClass(std::move(model), &cookie_);
}

void DeviceManagerRegistration::Revoke() {
  if (cookie_) RevokeDeviceManagerClass(cookie_);
  cookie_ = 0;
}

}  // namespace wmdm_standin
