// Reading the platform's enumerators one object at a time. A provider under
// load answers busy without moving, and one may claim the end of a listing
// with objects left: a busy answer is asked again a few times, and an end is
// believed only when it is said twice in a row. What a listing ends with
// decides what a delete may take along, so an end claimed early must not
// pass for the real one.
#pragma once

#include <windows.h>

#include <utility>

#include <com_ptr.h>
#include <mswmdm.h>

// How often a busy enumerator is asked in all before its answer stands.
inline constexpr int kEnumeratorBusyTries = 4;
// How often in a row an enumerator must say it has nothing more.
inline constexpr int kEnumeratorEndsToBelieve = 2;

// The next object of `enumerator` (IWMDMEnumStorage or IWMDMEnumDevice) in
// `element`: S_OK with one, S_FALSE at the end, or the enumerator's failure.
// (A reference: the address of a ComPtr is its out parameter.)
template <typename Enumerator, typename Element>
HRESULT NextOfEnumerator(Enumerator* enumerator, ComPtr<Element>& element) {
  element.Reset();
  int busy = 0;
  int ends = 0;
  for (;;) {
    ComPtr<Element> got;
    ULONG fetched = 0;
    const HRESULT hr = enumerator->Next(1, &got, &fetched);
    if (hr == WMDM_E_BUSY && ++busy < kEnumeratorBusyTries) continue;
    if (FAILED(hr)) return hr;
    if (fetched == 1 && got) {
      element = std::move(got);
      return S_OK;
    }
    if (++ends >= kEnumeratorEndsToBelieve) return S_FALSE;
  }
}
