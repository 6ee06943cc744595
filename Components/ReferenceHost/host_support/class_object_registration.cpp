#include "host_support/class_object_registration.h"

#include <objbase.h>

#include <atomic>

#include <com_object.h>

class ClassObjectRegistration::Factory final : public ComObject<Factory, IClassFactory> {
 public:
  explicit Factory(IUnknown* instance) : instance_(instance) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    const HRESULT hr = instance_->QueryInterface(riid, object);
    if (SUCCEEDED(hr)) ++created_;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  ULONG Created() const { return created_; }

 private:
  std::atomic<ULONG> created_{0};
  const ComPtr<IUnknown> instance_;
};

ClassObjectRegistration::ClassObjectRegistration(REFCLSID clsid, IUnknown* instance) {
  if (!instance) {
    result_ = E_POINTER;
    return;
  }
  factory_ = MakeComObject<Factory>(instance);
  if (!factory_) {
    result_ = E_OUTOFMEMORY;
    return;
  }
  result_ = CoRegisterClassObject(clsid, factory_.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

ClassObjectRegistration::~ClassObjectRegistration() {
  if (SUCCEEDED(result_)) CoRevokeClassObject(cookie_);
}

ULONG ClassObjectRegistration::CreatedCount() const { return factory_ ? factory_->Created() : 0; }
