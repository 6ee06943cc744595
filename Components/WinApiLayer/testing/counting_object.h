// COM objects for tests that check reference counts: each counts its
// references, every object alive is counted, and an object can take on the
// free-threaded marshaler so that marshalling hands its raw pointer to another
// thread on both platforms.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>

#include <com_object.h>
#include <com_ptr.h>

class CountingObject final : public ComObject<CountingObject, IUnknown> {
 public:
  // A new object holding one reference, or null when the free-threaded
  // marshaler could not be created.
  static CountingObject* Create(bool freeThreaded = false);
  // Objects created and not yet destroyed, across the process.
  static long Alive();

  CountingObject();
  ~CountingObject();

  // Records the caller's thread, then answers as every object does.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  // IMarshal, from the aggregated marshaler when there is one.
  HRESULT QueryOtherInterface(REFIID riid, void** object);

  // Thread id of the last thread that asked this object for an interface.
  DWORD LastCallerThread() const { return lastCaller_.load(); }

 private:
  std::atomic<DWORD> lastCaller_{0};
  ComPtr<IUnknown> marshaler_;  // inner object of the aggregate
};

// A class factory over CountingObject that refuses aggregation and counts the
// instances it made.
class CountingFactory final : public ComObject<CountingFactory, IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  int Created() const { return created_.load(); }

 private:
  std::atomic<int> created_{0};
};
