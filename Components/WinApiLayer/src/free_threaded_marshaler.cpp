// CoCreateFreeThreadedMarshaler: the inner object an aggregate takes on to say
// that its pointer may be used from any thread. This lane's marshalling hands
// raw pointers over anyway and only asks whether an object answers IMarshal, so
// the marshaler's own methods are never called.
#include <objbase.h>

#include <com_object.h>

namespace winapi {
namespace {

// The object itself is the aggregate's non-delegating IUnknown; its IMarshal
// face belongs to the aggregate and delegates IUnknown to it.
class FreeThreadedMarshaler final : public ComObject<FreeThreadedMarshaler, IUnknown> {
 public:
  explicit FreeThreadedMarshaler(IUnknown* outer) : marshal_(outer ? outer : this) {}

  HRESULT QueryOtherInterface(REFIID riid, void** object) {
    if (!IsEqualIID(riid, IID_IMarshal)) return E_NOINTERFACE;
    *object = static_cast<IMarshal*>(&marshal_);
    marshal_.AddRef();
    return S_OK;
  }

 private:
  class MarshalFace final : public IMarshal {
   public:
    explicit MarshalFace(IUnknown* outer) : outer_(outer) {}

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
    IUnknown* outer_;  // not counted: the aggregate owns this object
  };

  MarshalFace marshal_;
};

}  // namespace
}  // namespace winapi

extern "C" HRESULT CoCreateFreeThreadedMarshaler(LPUNKNOWN outer, LPUNKNOWN* marshaler) {
  if (!marshaler) return E_INVALIDARG;
  *marshaler = MakeComObject<winapi::FreeThreadedMarshaler>(outer).Detach();
  return *marshaler ? S_OK : E_OUTOFMEMORY;
}
