#include "builtin_classes.h"

#include <msxml2.h>
#include <objbase.h>

#include <new>

#include "com_object.h"
#include "msxml_document.h"

namespace winapi {
namespace {

using CreateFunction = HRESULT (*)(REFIID riid, void** out);

struct BuiltinClass {
  const CLSID* clsid;
  CreateFunction create;
};

const BuiltinClass kBuiltinClasses[] = {
    {&CLSID_DOMDocument, msxml::CreateDomDocument},
};

// One factory object per request; the classes keep no state in it.
class BuiltinClassFactory final : public IClassFactory {
 public:
  explicit BuiltinClassFactory(CreateFunction create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Increment(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = refs_.Decrement();
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ~BuiltinClassFactory() = default;

  RefCount refs_;
  CreateFunction create_;
};

}  // namespace

HRESULT GetBuiltinClassObject(REFCLSID clsid, DWORD clsContext, REFIID riid, void** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!(clsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  for (const BuiltinClass& entry : kBuiltinClasses) {
    if (!IsEqualCLSID(*entry.clsid, clsid)) continue;
    auto* factory = new (std::nothrow) BuiltinClassFactory(entry.create);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, object);
    factory->Release();
    return hr;
  }
  return REGDB_E_CLASSNOTREG;
}

}  // namespace winapi
