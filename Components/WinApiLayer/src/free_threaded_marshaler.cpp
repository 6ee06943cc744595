// CoCreateFreeThreadedMarshaler: the inner object an aggregate takes on to say
// that its pointer may be used from any thread. This lane's marshalling hands
// raw pointers over anyway and only asks whether an object answers IMarshal, so
// the marshaler's own methods are never called.
#include <objbase.h>

#include <new>

#include "com_object.h"

namespace winapi {
namespace {

class FreeThreadedMarshaler final : public IMarshal {
 public:
  explicit FreeThreadedMarshaler(IUnknown* outer) : outer_(outer ? outer : &inner_) {}

  IUnknown* Inner() { return &inner_; }

  // IUnknown of the IMarshal face: delegates to the aggregate.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return outer_->QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

  HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID, void*, DWORD, void*, DWORD, CLSID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID, void*, DWORD, void*, DWORD, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE MarshalInterface(IStream*, REFIID, void*, DWORD, void*, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD) override { return E_NOTIMPL; }

 private:
  // The non-delegating IUnknown the aggregate holds.
  class NonDelegatingUnknown final : public IUnknown {
   public:
    explicit NonDelegatingUnknown(FreeThreadedMarshaler& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
      if (!object) return E_POINTER;
      if (IsEqualGUID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
      } else if (IsEqualGUID(riid, IID_IMarshal)) {
        *object = static_cast<IMarshal*>(&owner_);
      } else {
        *object = nullptr;
        return E_NOINTERFACE;
      }
      static_cast<IUnknown*>(*object)->AddRef();
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return count_.Increment(); }
    ULONG STDMETHODCALLTYPE Release() override {
      const ULONG left = count_.Decrement();
      if (left == 0) delete &owner_;
      return left;
    }

   private:
    FreeThreadedMarshaler& owner_;
    RefCount count_;
  };

  NonDelegatingUnknown inner_{*this};
  IUnknown* outer_;
};

}  // namespace
}  // namespace winapi

extern "C" HRESULT CoCreateFreeThreadedMarshaler(LPUNKNOWN outer, LPUNKNOWN* marshaler) {
  if (!marshaler) return E_INVALIDARG;
  auto* created = new (std::nothrow) winapi::FreeThreadedMarshaler(outer);
  *marshaler = created ? created->Inner() : nullptr;
  return created ? S_OK : E_OUTOFMEMORY;
}
