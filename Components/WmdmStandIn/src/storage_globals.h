// IWMDMStorageGlobals: what a medium says of itself (capabilities, space,
// status, serial number) and its formatting. Dead once the medium or its
// device goes away.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <memory>
#include <optional>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class Storage;

class StorageGlobals final : public StandInObject<StorageGlobals, IWMDMStorageGlobals> {
 public:
  // `origin`, the storage the globals were asked of, is kept alive: the
  // globals of a storage that is dead for good (InjectDeath) are dead too,
  // and a death armed for the globals kills that storage with them.
  StorageGlobals(std::shared_ptr<PlayerModel> model, std::shared_ptr<ModelDevice> device,
                 std::shared_ptr<ModelMedium> medium, const Storage* origin = nullptr);

  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
  HRESULT STDMETHODCALLTYPE GetSerialNumber(PWMDMID serial, BYTE mac[WMDM_MAC_LENGTH]) override;
  HRESULT STDMETHODCALLTYPE GetTotalSize(DWORD* low, DWORD* high) override;
  HRESULT STDMETHODCALLTYPE GetTotalFree(DWORD* low, DWORD* high) override;
  HRESULT STDMETHODCALLTYPE GetTotalBad(DWORD* low, DWORD* high) override;
  HRESULT STDMETHODCALLTYPE GetStatus(DWORD* status) override;
  HRESULT STDMETHODCALLTYPE Initialize(UINT mode, IWMDMProgress* progress) override;

 private:
  std::optional<HRESULT> Enter(const char* method) const;

  std::shared_ptr<PlayerModel> model_;
  std::shared_ptr<ModelDevice> device_;
  std::shared_ptr<ModelMedium> medium_;
  const Storage* origin_;
  ComPtr<IUnknown> keepOrigin_;
};

// Fills a caller's WMDMID with a serial number; WMDM_E_NOTSUPPORTED when the
// object has none. The MAC, which the platform computes over the result for
// authenticated callers, is left zero.
HRESULT FillSerialNumber(const std::vector<BYTE>& serial, DWORD vendorId, PWMDMID out, BYTE* mac);

// Splits a 64-bit count into the platform's low and high halves.
HRESULT SplitCount(ULONGLONG count, DWORD* low, DWORD* high);

}  // namespace wmdm_standin
