// Subset of objidl.h for the Linux lane: the stream that interface marshalling
// hands between threads.
#pragma once

#include "unknwn.h"

extern "C" const IID IID_ISequentialStream;
extern "C" const IID IID_IStream;

typedef struct tagSTATSTG STATSTG;

struct ISequentialStream : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) = 0;
};

struct IStream : public ISequentialStream {
  virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                           ULARGE_INTEGER* written) = 0;
  virtual HRESULT STDMETHODCALLTYPE Commit(DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Revert() = 0;
  virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) = 0;
  virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IStream** stream) = 0;
};
typedef IStream* LPSTREAM;

extern "C" const IID IID_IMarshal;
extern "C" const IID IID_IRunnableObject;

struct IBindCtx;

// Named so that objects can aggregate the free-threaded marshaler; the Linux
// lane's marshalling only asks whether an object answers it.
struct IMarshal : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID riid, void* object, DWORD destContext,
                                                      void* reserved, DWORD flags, CLSID* clsid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID riid, void* object, DWORD destContext,
                                                      void* reserved, DWORD flags, DWORD* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* stream, REFIID riid, void* object,
                                                     DWORD destContext, void* reserved, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* stream, REFIID riid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD reserved) = 0;
};

struct IRunnableObject : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID* clsid) = 0;
  virtual HRESULT STDMETHODCALLTYPE Run(IBindCtx* bindContext) = 0;
  virtual BOOL STDMETHODCALLTYPE IsRunning() = 0;
  virtual HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL lastUnlockCloses) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL contained) = 0;
};
