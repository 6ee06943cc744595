// COM objects for tests that check reference counts: each counts its
// references, every object alive is counted, and an object can take on the
// free-threaded marshaler so that marshalling hands its raw pointer to another
// thread on both platforms.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>

class CountingObject final : public IUnknown {
 public:
  // A new object holding one reference, or null when the free-threaded
  // marshaler could not be created.
  static CountingObject* Create(bool freeThreaded = false);
  // Objects created and not yet destroyed, across the process.
  static long Alive();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  ULONG References() const { return references_.load(); }
  // Thread id of the last thread that asked this object for an interface.
  DWORD LastCallerThread() const { return lastCaller_.load(); }

 private:
  CountingObject();
  ~CountingObject();

  std::atomic<ULONG> references_{1};
  std::atomic<DWORD> lastCaller_{0};
  IUnknown* marshaler_ = nullptr;  // inner object of the aggregate
};

// A class factory over CountingObject that refuses aggregation and counts the
// instances it made.
class CountingFactory final : public IClassFactory {
 public:
  CountingFactory() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  ULONG References() const { return references_.load(); }
  int Created() const { return created_.load(); }

 private:
  // Lives on the test's stack: the count only has to balance.
  std::atomic<ULONG> references_{1};
  std::atomic<int> created_{0};
};
