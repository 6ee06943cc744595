// The host's GetItemInformation: one item's record, tags included.
#include "content/locations.h"
#include "core/host_boundary.h"
#include "core/kc_wmdm10_plugin.h"
#include "host_sdk/ipp_result_codes.h"

HRESULT kcWMDM10Plugin::GetItemInformation(const WCHAR* location, const WCHAR* id, kiIPPItem* item) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    if (!location || !id || !item) return IPP_E_FAIL;
    const WString where(location);
    // A playlist entry is described by its track's own record.
    WString path;
    if (!resolver_.SplitEntryId(where, WString(id), nullptr, &path)) path = resolver_.ToDevicePath(where, WString(id));
    WriteLog(W("WMDM10::GetItemInformation called for item at ") + path);
    NodeRef node = resolver_.ResolveStorage(where, path, RESOLVE_ITEM | RESOLVE_TAGS);
    if (!node) return IPP_E_NOTFOUND;
    if (!node->item) return E_FAIL;
    node->item->CopyTo(item);
    return S_OK;
  });
}
