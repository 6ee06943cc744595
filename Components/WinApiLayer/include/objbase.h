// Subset of objbase.h/combaseapi.h for the Linux lane: a small in-process COM
// runtime with a class table shared by every module loaded in the process.
#pragma once

#include "objidl.h"
#include "oleauto.h"
#include "winbase.h"

typedef enum tagCLSCTX {
  CLSCTX_INPROC_SERVER = 0x1,
  CLSCTX_INPROC_HANDLER = 0x2,
  CLSCTX_LOCAL_SERVER = 0x4,
  CLSCTX_REMOTE_SERVER = 0x10,
} CLSCTX;
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

typedef enum tagCOINIT {
  COINIT_APARTMENTTHREADED = 0x2,
  COINIT_MULTITHREADED = 0x0,
  COINIT_DISABLE_OLE1DDE = 0x4,
  COINIT_SPEED_OVER_MEMORY = 0x8,
} COINIT;

typedef enum tagREGCLS {
  REGCLS_SINGLEUSE = 0,
  REGCLS_MULTIPLEUSE = 1,
  REGCLS_MULTI_SEPARATE = 2,
  REGCLS_SUSPENDED = 4,
  REGCLS_SURROGATE = 8,
} REGCLS;

#define WINOLEAPI extern "C" HRESULT
#define WINOLEAPI_(type) extern "C" type

WINOLEAPI CoInitialize(LPVOID reserved);
WINOLEAPI CoInitializeEx(LPVOID reserved, DWORD coInit);
WINOLEAPI_(void) CoUninitialize(void);
WINOLEAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID riid, LPVOID* object);
WINOLEAPI CoGetClassObject(REFCLSID clsid, DWORD clsContext, LPVOID reserved, REFIID riid, LPVOID* object);
WINOLEAPI CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN classObject, DWORD clsContext, DWORD flags,
                                LPDWORD cookie);
WINOLEAPI CoRevokeClassObject(DWORD cookie);
WINOLEAPI_(void) CoFreeUnusedLibraries(void);
WINOLEAPI_(LPVOID) CoTaskMemAlloc(SIZE_T bytes);
WINOLEAPI_(LPVOID) CoTaskMemRealloc(LPVOID memory, SIZE_T bytes);
WINOLEAPI_(void) CoTaskMemFree(LPVOID memory);
WINOLEAPI CoMarshalInterThreadInterfaceInStream(REFIID riid, LPUNKNOWN unknown, LPSTREAM* stream);
WINOLEAPI CoGetInterfaceAndReleaseStream(LPSTREAM stream, REFIID riid, LPVOID* object);
WINOLEAPI StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
WINOLEAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
WINOLEAPI_(int) StringFromGUID2(REFGUID guid, LPOLESTR text, int maxChars);
// The inner object of an aggregate that marks the outer object as free-threaded,
// so that marshalling hands its raw pointer to another thread.
WINOLEAPI CoCreateFreeThreadedMarshaler(LPUNKNOWN outer, LPUNKNOWN* marshaler);
