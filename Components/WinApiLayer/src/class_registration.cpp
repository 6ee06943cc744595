// CoRegisterClassObject, CoRevokeClassObject, CoGetClassObject and
// CoCreateInstance over one class table for the whole process: the host, the
// plug-in and the stand-ins all link this library, so a class one of them
// registers is found by the others. As on Windows, a class object is visible in
// the apartment that registered it.
#include "class_table.h"

#include <mutex>
#include <vector>

#include <com_ptr.h>
#include <result_macros.h>

#include "builtin_classes.h"

namespace winapi {
namespace {

struct Registration {
  CLSID clsid;
  ComPtr<IUnknown> classObject;  // held while registered
  DWORD context;
  DWORD flags;
  DWORD cookie;
  ApartmentId apartment;
};

std::mutex tableMutex;
std::vector<Registration> registrations;
DWORD nextCookie = 1;

// The class object registered for `clsid` in `apartment`, or null.
ComPtr<IUnknown> FindClassObject(REFCLSID clsid, DWORD context, ApartmentId apartment) {
  std::lock_guard<std::mutex> lock(tableMutex);
  for (const Registration& entry : registrations) {
    if (entry.apartment == apartment && (entry.context & context) != 0 && IsEqualGUID(entry.clsid, clsid))
      return entry.classObject;
  }
  return nullptr;
}

}  // namespace

void RevokeApartmentClasses(ApartmentId apartment) {
  // Released outside the lock: a class object's destructor may call back into COM.
  std::vector<ComPtr<IUnknown>> released;
  {
    std::lock_guard<std::mutex> lock(tableMutex);
    for (auto it = registrations.begin(); it != registrations.end();) {
      if (it->apartment == apartment) {
        released.push_back(std::move(it->classObject));
        it = registrations.erase(it);
      } else {
        ++it;
      }
    }
  }
}

}  // namespace winapi

using namespace winapi;

extern "C" HRESULT CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN classObject, DWORD clsContext, DWORD flags,
                                         LPDWORD cookie) {
  if (!cookie || !classObject) return E_INVALIDARG;
  *cookie = 0;
  const ApartmentId apartment = CurrentOrMultithreadedApartment();
  if (apartment == kNoApartment) return CO_E_NOTINITIALIZED;
  std::lock_guard<std::mutex> lock(tableMutex);
  for (const Registration& entry : registrations) {
    if (IsEqualGUID(entry.clsid, clsid) && entry.apartment == apartment && entry.flags == REGCLS_SINGLEUSE)
      return CO_E_OBJISREG;
  }
  registrations.push_back({clsid, ComPtr<IUnknown>(classObject), clsContext, flags, nextCookie, apartment});
  *cookie = nextCookie++;
  return S_OK;
}

extern "C" HRESULT CoRevokeClassObject(DWORD cookie) {
  const ApartmentId apartment = CurrentOrMultithreadedApartment();
  if (apartment == kNoApartment) return CO_E_NOTINITIALIZED;
  ComPtr<IUnknown> released;  // outside the lock, as above
  {
    std::lock_guard<std::mutex> lock(tableMutex);
    for (auto it = registrations.begin(); it != registrations.end(); ++it) {
      if (it->cookie != cookie) continue;
      if (it->apartment != apartment) return RPC_E_WRONG_THREAD;
      released = std::move(it->classObject);
      registrations.erase(it);
      break;
    }
  }
  // Windows answers an unknown cookie as an invalid argument.
  return released ? S_OK : E_INVALIDARG;
}

extern "C" HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, LPVOID reserved, REFIID riid,
                                    LPVOID* object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  const ApartmentId apartment = CurrentOrMultithreadedApartment();
  if (apartment == kNoApartment) return CO_E_NOTINITIALIZED;
  const ComPtr<IUnknown> classObject = FindClassObject(clsid, clsContext, apartment);
  // Beyond registered classes only the library's own answer, as the system's
  // DLLs would; there is no registry of in-process servers to load.
  if (!classObject) return GetBuiltinClassObject(clsid, clsContext, riid, object);
  return classObject->QueryInterface(riid, object);
}

extern "C" HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID riid,
                                    LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComPtr<IClassFactory> factory;
  RETURN_IF_FAILED(CoGetClassObject(clsid, clsContext, nullptr, IID_IClassFactory, factory.AsVoidOut()));
  // The factory decides about aggregation (CLASS_E_NOAGGREGATION is its answer).
  return factory->CreateInstance(outer, riid, object);
}

// Nothing to unload: class objects come from registrations, never from modules
// that COM loaded itself.
extern "C" void CoFreeUnusedLibraries(void) {}
