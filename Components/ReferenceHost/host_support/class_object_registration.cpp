#include "host_support/class_object_registration.h"

#include <objbase.h>

#include <atomic>
#include <new>

class ClassObjectRegistration::Factory final : public IClassFactory {
 public:
  explicit Factory(IUnknown* instance) : instance_(instance) { instance_->AddRef(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
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
  ~Factory() { instance_->Release(); }

  std::atomic<ULONG> refs_{1};
  std::atomic<ULONG> created_{0};
  IUnknown* instance_;
};

ClassObjectRegistration::ClassObjectRegistration(REFCLSID clsid, IUnknown* instance) {
  if (!instance) {
    result_ = E_POINTER;
    return;
  }
  factory_ = new (std::nothrow) Factory(instance);
  if (!factory_) {
    result_ = E_OUTOFMEMORY;
    return;
  }
  result_ = CoRegisterClassObject(clsid, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

ClassObjectRegistration::~ClassObjectRegistration() {
  if (SUCCEEDED(result_)) CoRevokeClassObject(cookie_);
  if (factory_) factory_->Release();
}

ULONG ClassObjectRegistration::CreatedCount() const { return factory_ ? factory_->Created() : 0; }
