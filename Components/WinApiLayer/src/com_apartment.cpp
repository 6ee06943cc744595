// CoInitialize(Ex)/CoUninitialize: a count per thread, as Windows keeps it, and
// the process-wide multithreaded apartment that lives while any thread is in it.
#include "com_apartment.h"

#include <atomic>
#include <mutex>

#include "class_table.h"

namespace winapi {
namespace {

std::atomic<ApartmentId> nextApartmentId{1};

struct ThreadApartment {
  ULONG count = 0;
  bool multithreaded = false;
  ApartmentId id = kNoApartment;
};
thread_local ThreadApartment threadApartment;

std::mutex mtaMutex;
ULONG mtaThreads = 0;
ApartmentId mtaId = kNoApartment;

ApartmentId EnterMultithreaded() {
  std::lock_guard<std::mutex> lock(mtaMutex);
  if (mtaThreads++ == 0) mtaId = nextApartmentId++;
  return mtaId;
}

// Returns the apartment that ended, or kNoApartment while other threads remain.
ApartmentId LeaveMultithreaded() {
  std::lock_guard<std::mutex> lock(mtaMutex);
  if (--mtaThreads != 0) return kNoApartment;
  const ApartmentId ended = mtaId;
  mtaId = kNoApartment;
  return ended;
}

}  // namespace

ApartmentId CurrentOrMultithreadedApartment() {
  if (threadApartment.count > 0) return threadApartment.id;
  std::lock_guard<std::mutex> lock(mtaMutex);
  return mtaId;
}

}  // namespace winapi

using namespace winapi;

extern "C" HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  const bool multithreaded = (coInit & COINIT_APARTMENTTHREADED) == 0;
  ThreadApartment& apartment = threadApartment;
  if (apartment.count > 0) {
    if (apartment.multithreaded != multithreaded) return RPC_E_CHANGED_MODE;
    ++apartment.count;
    return S_FALSE;
  }
  apartment.multithreaded = multithreaded;
  apartment.id = multithreaded ? EnterMultithreaded() : nextApartmentId++;
  apartment.count = 1;
  return S_OK;
}

extern "C" HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

extern "C" void CoUninitialize(void) {
  ThreadApartment& apartment = threadApartment;
  if (apartment.count == 0) return;
  if (--apartment.count > 0) return;
  const ApartmentId ended = apartment.multithreaded ? LeaveMultithreaded() : apartment.id;
  apartment.id = kNoApartment;
  // An apartment takes the class objects registered in it with it.
  if (ended != kNoApartment) RevokeApartmentClasses(ended);
}
