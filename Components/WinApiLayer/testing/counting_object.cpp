#include "counting_object.h"

#include <new>

namespace {
std::atomic<long> aliveObjects{0};
}

CountingObject::CountingObject() { ++aliveObjects; }

CountingObject::~CountingObject() {
  if (marshaler_) marshaler_->Release();
  --aliveObjects;
}

CountingObject* CountingObject::Create(bool freeThreaded) {
  auto* object = new (std::nothrow) CountingObject();
  if (!object || !freeThreaded) return object;
  // The aggregate's inner object holds no reference to the outer one.
  if (FAILED(CoCreateFreeThreadedMarshaler(object, &object->marshaler_))) {
    object->Release();
    return nullptr;
  }
  return object;
}

long CountingObject::Alive() { return aliveObjects.load(); }

HRESULT STDMETHODCALLTYPE CountingObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  lastCaller_.store(GetCurrentThreadId());
  if (IsEqualGUID(riid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  if (IsEqualGUID(riid, IID_IMarshal) && marshaler_) return marshaler_->QueryInterface(riid, object);
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CountingObject::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE CountingObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE CountingFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CountingFactory::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE CountingFactory::Release() { return --references_; }

HRESULT STDMETHODCALLTYPE CountingFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  CountingObject* created = CountingObject::Create();
  if (!created) return E_OUTOFMEMORY;
  ++created_;
  const HRESULT hr = created->QueryInterface(riid, object);
  created->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE CountingFactory::LockServer(BOOL lock) { return S_OK; }
