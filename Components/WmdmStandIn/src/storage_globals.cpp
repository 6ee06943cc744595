#include "storage_globals.h"

#include <algorithm>
#include <cstring>

#include "personality.h"
#include "progress_calls.h"
#include "storage.h"

namespace wmdm_standin {

HRESULT FillSerialNumber(const std::vector<BYTE>& serial, DWORD vendorId, PWMDMID out, BYTE* mac) {
  if (!out) return E_INVALIDARG;
  if (serial.empty()) return WMDM_E_NOTSUPPORTED;
  WMDMID id = {};
  id.cbSize = sizeof(WMDMID);
  id.dwVendorID = vendorId;
  // A serial longer than the buffer is cut, but its length is reported whole,
  // as some drivers do: the reader must not trust it.
  id.SerialNumberLength = static_cast<UINT>(serial.size());
  std::memcpy(id.pID, serial.data(), std::min<size_t>(serial.size(), WMDMID_LENGTH));
  *out = id;
  if (mac) std::memset(mac, 0, WMDM_MAC_LENGTH);
  return S_OK;
}

HRESULT SplitCount(ULONGLONG count, DWORD* low, DWORD* high) {
  if (!low || !high) return E_INVALIDARG;
  *low = static_cast<DWORD>(count);
  *high = static_cast<DWORD>(count >> 32);
  return S_OK;
}

StorageGlobals::StorageGlobals(std::shared_ptr<PlayerModel> model, std::shared_ptr<ModelDevice> device,
                               std::shared_ptr<ModelMedium> medium, const Storage* origin)
    : model_(std::move(model)), device_(std::move(device)), medium_(std::move(medium)), origin_(origin),
      keepOrigin_(origin ? origin->Unknown() : nullptr) {}

std::optional<HRESULT> StorageGlobals::Enter(const char* method) const {
  bool lasting = false;
  if (auto injected = model_->Faults().Enter(ObjectKind::StorageGlobals, method, medium_->id, &lasting)) {
    if (*injected == kProviderStaleAnswer) injected = origin_ ? StaleAnswer(origin_->Handle()) : StaleAnswer(*medium_->root);
    if (lasting && origin_) origin_->KeepDead(*injected);
    return injected;
  }
  if (origin_ && origin_->DeadAnswer() != S_OK) return origin_->DeadAnswer();
  auto lock = model_->Lock();
  if (!device_->present || !medium_->present)
    return IsMtp(*device_) && device_->present ? kMtpStoreNotAvailable : WMDM_E_INTERFACEDEAD;
  return std::nullopt;
}

#define GLOBALS_ENTER(method)                        \
  do {                                               \
    if (auto early_ = Enter(method)) return *early_; \
  } while (0)

HRESULT STDMETHODCALLTYPE StorageGlobals::GetCapabilities(DWORD* capabilities) {
  GLOBALS_ENTER("GetCapabilities");
  auto lock = model_->Lock();
  return CopyOut(capabilities, medium_->description.capabilities);
}

HRESULT STDMETHODCALLTYPE StorageGlobals::GetSerialNumber(PWMDMID serial, BYTE* mac) {
  GLOBALS_ENTER("GetSerialNumber");
  auto lock = model_->Lock();
  return FillSerialNumber(medium_->description.serial, device_->description.vendorId, serial, mac);
}

HRESULT STDMETHODCALLTYPE StorageGlobals::GetTotalSize(DWORD* low, DWORD* high) {
  GLOBALS_ENTER("GetTotalSize");
  auto lock = model_->Lock();
  return SplitCount(medium_->TotalSize(), low, high);
}

HRESULT STDMETHODCALLTYPE StorageGlobals::GetTotalFree(DWORD* low, DWORD* high) {
  GLOBALS_ENTER("GetTotalFree");
  auto lock = model_->Lock();
  return SplitCount(medium_->FreeSpace(), low, high);
}

HRESULT STDMETHODCALLTYPE StorageGlobals::GetTotalBad(DWORD* low, DWORD* high) {
  GLOBALS_ENTER("GetTotalBad");
  return SplitCount(0, low, high);
}

HRESULT STDMETHODCALLTYPE StorageGlobals::GetStatus(DWORD* status) {
  GLOBALS_ENTER("GetStatus");
  auto lock = model_->Lock();
  return CopyOut(status, medium_->description.status);
}

// Formatting empties the medium, reported to the progress object.
HRESULT STDMETHODCALLTYPE StorageGlobals::Initialize(UINT mode, IWMDMProgress* progress) {
  GLOBALS_ENTER("Initialize");
  if (!(mode & (WMDM_MODE_BLOCK | WMDM_MODE_THREAD))) return E_INVALIDARG;
  StorageHandle root;
  {
    auto lock = model_->Lock();
    if (medium_->description.capabilities & WMDM_STORAGECAP_NOT_INITIALIZABLE) return WMDM_E_NOTSUPPORTED;
    root = model_->HandleOf(medium_->root);
  }
  ProgressCalls calls(progress);
  constexpr DWORD kTicks = 100;
  RETURN_IF_FAILED(calls.Begin(kTicks));
  RETURN_IF_FAILED(model_->EraseMedium(root));
  calls.Done(kTicks);
  return S_OK;
}

}  // namespace wmdm_standin
