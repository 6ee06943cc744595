// CoMarshalInterThreadInterfaceInStream / CoGetInterfaceAndReleaseStream. There
// are no proxies here: the stream carries one reference to the interface itself
// and the receiving thread calls it directly, as it would a free-threaded object.
#include <objbase.h>

#include <mutex>
#include <new>

#include "com_apartment.h"
#include "com_object.h"

namespace winapi {
namespace {

// Lets the receiving side recognise a stream made here.
const IID IID_MarshalPayload = {0x6a1f3c52, 0x0d4e, 0x4b8a, {0x9e, 0x31, 0x52, 0x7c, 0x0b, 0x44, 0xd2, 0x19}};

bool IsFreeThreaded(IUnknown* object) {
  IUnknown* marshal = nullptr;
  if (FAILED(object->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)))) return false;
  marshal->Release();
  return true;
}

// Without the free-threaded marshaler, Windows needs an apartment on both sides.
HRESULT CheckApartment(IUnknown* object) {
  if (CurrentOrMultithreadedApartment() != kNoApartment || IsFreeThreaded(object)) return S_OK;
  return CO_E_NOTINITIALIZED;
}

class MarshalStream final : public IStream {
 public:
  explicit MarshalStream(IUnknown* payload) : payload_(payload) {}

  // Hands the carried reference over once, as marshal data is read once.
  IUnknown* TakePayload() {
    std::lock_guard<std::mutex> lock(mutex_);
    IUnknown* payload = payload_;
    payload_ = nullptr;
    return payload;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISequentialStream) ||
        IsEqualGUID(riid, IID_IStream) || IsEqualGUID(riid, IID_MarshalPayload)) {
      *object = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return count_.Increment(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = count_.Decrement();
    if (left == 0) {
      if (IUnknown* unread = TakePayload()) unread->Release();
      delete this;
    }
    return left;
  }

  // The stream is only ever read back through CoGetInterfaceAndReleaseStream.
  HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  RefCount count_;
  std::mutex mutex_;
  IUnknown* payload_;
};

HRESULT Unmarshal(IStream* stream, REFIID riid, void** object) {
  void* raw = nullptr;
  if (FAILED(stream->QueryInterface(IID_MarshalPayload, &raw))) return E_INVALIDARG;  // not a stream written here
  auto* marshalled = static_cast<MarshalStream*>(static_cast<IStream*>(raw));
  IUnknown* payload = marshalled->TakePayload();
  marshalled->Release();
  if (!payload) return E_UNEXPECTED;  // already read
  HRESULT hr = CheckApartment(payload);
  if (SUCCEEDED(hr)) hr = payload->QueryInterface(riid, object);
  payload->Release();
  return hr;
}

}  // namespace
}  // namespace winapi

using namespace winapi;

extern "C" HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, LPUNKNOWN unknown, LPSTREAM* stream) {
  if (!stream || !unknown) return E_INVALIDARG;
  *stream = nullptr;
  const HRESULT apartment = CheckApartment(unknown);
  if (FAILED(apartment)) return apartment;
  IUnknown* payload = nullptr;
  const HRESULT hr = unknown->QueryInterface(riid, reinterpret_cast<void**>(&payload));
  if (FAILED(hr)) return hr;
  auto* created = new (std::nothrow) MarshalStream(payload);
  if (!created) {
    payload->Release();
    return E_OUTOFMEMORY;
  }
  *stream = created;
  return S_OK;
}

extern "C" HRESULT CoGetInterfaceAndReleaseStream(LPSTREAM stream, REFIID riid, LPVOID* object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!stream) return E_INVALIDARG;
  const HRESULT hr = Unmarshal(stream, riid, object);
  stream->Release();
  return hr;
}
