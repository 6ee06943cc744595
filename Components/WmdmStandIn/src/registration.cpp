#include "registration.h"

#include "com_support.h"
#include "device_manager.h"
#include "platform/com_ptr.h"

namespace wmdm_standin {
namespace {

class DeviceManagerFactory final : public IClassFactory {
 public:
  explicit DeviceManagerFactory(std::shared_ptr<PlayerModel> model) : model_(std::move(model)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STANDIN_REFCOUNT_METHODS

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<IWMDeviceManager3> manager;
    manager.Attach(DeviceManager::Create(model_));
    if (!manager) return E_OUTOFMEMORY;
    return manager->QueryInterface(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  RefCount refs_;
  std::shared_ptr<PlayerModel> model_;
};

}  // namespace

IClassFactory* CreateDeviceManagerFactory(std::shared_ptr<PlayerModel> model) {
  return new DeviceManagerFactory(std::move(model));
}

HRESULT RegisterDeviceManagerClass(std::shared_ptr<PlayerModel> model, DWORD* cookie) {
  if (!model || !cookie) return E_INVALIDARG;
  *cookie = 0;
  ComPtr<IClassFactory> factory;
  factory.Attach(CreateDeviceManagerFactory(std::move(model)));
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
