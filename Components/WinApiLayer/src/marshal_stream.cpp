// CoMarshalInterThreadInterfaceInStream / CoGetInterfaceAndReleaseStream. There
// are no proxies here: the stream carries one reference to the interface itself
// and the receiving thread calls it directly, as it would a free-threaded object.
#include <objbase.h>

#include <mutex>

#include <com_object.h>
#include <com_ptr.h>
#include <result_macros.h>

#include "com_apartment.h"

namespace winapi {
namespace {

// Lets the receiving side recognise a stream made here.
const IID IID_MarshalPayload = {0x6a1f3c52, 0x0d4e, 0x4b8a, {0x9e, 0x31, 0x52, 0x7c, 0x0b, 0x44, 0xd2, 0x19}};

bool IsFreeThreaded(IUnknown* object) {
  ComPtr<IMarshal> marshal;
  return SUCCEEDED(object->QueryInterface(IID_IMarshal, marshal.AsVoidOut()));
}

// Without the free-threaded marshaler, Windows needs an apartment on both sides.
HRESULT CheckApartment(IUnknown* object) {
  if (CurrentOrMultithreadedApartment() != kNoApartment || IsFreeThreaded(object)) return S_OK;
  return CO_E_NOTINITIALIZED;
}

class MarshalStream final : public ComObject<MarshalStream, Chain<IStream, ISequentialStream>> {
 public:
  explicit MarshalStream(ComPtr<IUnknown> payload) : payload_(std::move(payload)) {}

  // Hands the carried reference over once, as marshal data is read once.
  ComPtr<IUnknown> TakePayload() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(payload_);
  }

  // The private id answers the stream itself, so that the receiving side
  // recognises a stream made here.
  HRESULT QueryOtherInterface(REFIID riid, void** object) {
    if (!IsEqualGUID(riid, IID_MarshalPayload)) return E_NOINTERFACE;
    *object = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
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
  std::mutex mutex_;
  ComPtr<IUnknown> payload_;  // an unread payload goes with the stream
};

HRESULT Unmarshal(IStream* stream, REFIID riid, void** object) {
  ComPtr<IStream> own;
  // Not a stream written here.
  if (FAILED(stream->QueryInterface(IID_MarshalPayload, own.AsVoidOut()))) return E_INVALIDARG;
  const ComPtr<IUnknown> payload = static_cast<MarshalStream*>(own.Get())->TakePayload();
  if (!payload) return E_UNEXPECTED;  // already read
  RETURN_IF_FAILED(CheckApartment(payload.Get()));
  return payload->QueryInterface(riid, object);
}

}  // namespace
}  // namespace winapi

using namespace winapi;

extern "C" HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, LPUNKNOWN unknown, LPSTREAM* stream) {
  if (!stream || !unknown) return E_INVALIDARG;
  *stream = nullptr;
  RETURN_IF_FAILED(CheckApartment(unknown));
  ComPtr<IUnknown> payload;
  RETURN_IF_FAILED(unknown->QueryInterface(riid, payload.AsVoidOut()));
  return MakeComObjectInto<MarshalStream>(stream, std::move(payload));
}

extern "C" HRESULT CoGetInterfaceAndReleaseStream(LPSTREAM stream, REFIID riid, LPVOID* object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!stream) return E_INVALIDARG;
  // The caller's reference to the stream is ours to release.
  ComPtr<IStream> released;
  released.Attach(stream);
  return Unmarshal(stream, riid, object);
}
