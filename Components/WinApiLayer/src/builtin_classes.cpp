#include "builtin_classes.h"

#include <msxml2.h>
#include <objbase.h>

#include <com_object.h>
#include <com_ptr.h>

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
class BuiltinClassFactory final : public ComObject<BuiltinClassFactory, IClassFactory> {
 public:
  explicit BuiltinClassFactory(CreateFunction create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  CreateFunction create_;
};

}  // namespace

HRESULT GetBuiltinClassObject(REFCLSID clsid, DWORD clsContext, REFIID riid, void** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!(clsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  for (const BuiltinClass& entry : kBuiltinClasses) {
    if (!IsEqualCLSID(*entry.clsid, clsid)) continue;
    const ComPtr<BuiltinClassFactory> factory = MakeComObject<BuiltinClassFactory>(entry.create);
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, object);
  }
  return REGDB_E_CLASSNOTREG;
}

}  // namespace winapi
