// The host's GetItemInformation: one item's record, tags included.
#include "content/item_listings.h"
#include "host_sdk/ipp_result_codes.h"

HRESULT ItemListings::Describe(const WString& location, const WString& id, kiIPPItem* item) {
  // A playlist entry is described by its track's own record.
  WString path;
  if (!resolver_.SplitEntryId(location, id, nullptr, &path)) path = resolver_.ToDevicePath(location, id);
  host_.WriteLog(W("WMDM10::GetItemInformation called for item at ") + path);
  NodeRef node = resolver_.ResolveStorage(location, path, RESOLVE_ITEM | RESOLVE_TAGS);
  if (!node) return IPP_E_NOTFOUND;
  if (!node->item) return E_FAIL;
  node->item->CopyTo(item);
  return S_OK;
}
