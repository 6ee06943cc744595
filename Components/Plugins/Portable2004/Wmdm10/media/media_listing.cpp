// Walking the media of a device, one medium a call.
#include <memory>
#include <new>

#include <result_macros.h>
#include <unique_bstr.h>

#include "base/enumerator_next.h"
#include "content/find_state.h"
#include "host_sdk/ipp_result_codes.h"
#include "media/media_control.h"
#include "media/media_location.h"

namespace {

// A medium that is being worked on may be offered as the first of a walk;
// later in the walk only ready ones count, so the host is not handed a busy
// medium in the middle of a listing.
enum class MediumRule { ReadyOrBusy, ExactlyReady };

bool IsMedium(IWMDMStorage* storage, MediumRule rule) {
  ComPtr<IWMDMStorageGlobals> globals;
  if (FAILED(storage->GetStorageGlobals(&globals)) || !globals) return false;
  DWORD status = 0;
  if (FAILED(globals->GetStatus(&status))) return false;
  if (rule == MediumRule::ExactlyReady) return status == WMDM_STATUS_READY;
  return (status & (WMDM_STATUS_READY | WMDM_STATUS_BUSY)) != 0;
}

// Reads the enumerator one storage at a time up to the next medium and
// makes its location. S_OK with the location; S_FALSE at the end; a
// failure of the enumerator or of the location ends the walk.
HRESULT NextMedium(IWMDMDevice* device, IWMDMEnumStorage* storages, MediumRule rule, UniqueBstr* location) {
  for (;;) {
    ComPtr<IWMDMStorage> storage;
    const HRESULT next = NextOfEnumerator(storages, storage);
    RETURN_IF_FAILED(next);
    if (next != S_OK) return S_FALSE;
    if (!IsMedium(storage.Get(), rule)) continue;
    return MakeMediaLocation(device, storage.Get(), location->Put());
  }
}

}  // namespace

HRESULT MediaControl::ListFirst(DWORD deviceNumber, BSTR* location, IPPFINDHANDLE* find) {
  DeviceRecord* record = devices_.FindDeviceRecord(static_cast<LONG>(deviceNumber));
  ComPtr<IWMDMDevice> device = record ? record->device : nullptr;
  if (!device || !location || !find) return IPP_E_FAIL;
  WriteLog(W("WMDM10::FindFirstMedia called"));
  *location = nullptr;
  *find = nullptr;
  ComPtr<IWMDMEnumStorage> storages;
  RETURN_IF_FAILED(device->EnumStorage(&storages));
  if (!storages) return E_FAIL;
  UniqueBstr first;
  const HRESULT hr = NextMedium(device.Get(), storages.Get(), MediumRule::ReadyOrBusy, &first);
  if (hr != S_OK) return hr;
  std::unique_ptr<FindState> state(new (std::nothrow) FindState);
  if (!state) return E_OUTOFMEMORY;
  state->location.Reset(SysAllocStringLen(first.Get(), first.Length()));
  if (!state->location) return E_OUTOFMEMORY;
  state->device = std::move(device);
  state->index = static_cast<LONG>(deviceNumber);
  state->enumerator = std::move(storages);
  *location = first.Release();
  *find = state.release()->ToHandle();
  return S_OK;
}

HRESULT MediaControl::ListNext(FindState& state, BSTR* location) {
  if (!state.device || !state.enumerator) return E_FAIL;
  UniqueBstr next;
  const HRESULT hr = NextMedium(state.device.Get(), state.enumerator.Get(), MediumRule::ExactlyReady, &next);
  if (hr == S_OK) *location = next.Release();
  return hr;
}
