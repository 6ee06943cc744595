// The host's item listings: the items directly inside a folder, or the
// entries of a playlist, one per call.
#include "content/item_listings.h"

#include <memory>
#include <new>
#include <utility>

#include <result_macros.h>

#include "base/enumerator_next.h"
#include "content/item_filter.h"
#include "content/locations.h"
#include "content/storage_items.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

const WCHAR kItemOrder[] = W("ItemOrder");

}  // namespace

HRESULT ItemListings::ReportChild(const WString& location, ComPtr<IWMDMStorage> storage, bool isEntry,
                                  const WString& path, LONG deviceNumber, FindState* state, kiIPPItem* item) {
  if (location.empty() || !storage || !item) return IPP_E_FAIL;
  // Name and attributes are read once here and reused to build the record.
  StorageFacts facts;
  // A folder's child is named by its storage key, its device path at the
  // end: one string serves the filter, the node cache and the record.
  WString childPath;
  WString ownKey;
  WString& key = state ? state->childKey : ownKey;
  size_t pathStart = 0;
  if (isEntry) {
    RETURN_IF_FAILED(StoragePath(storage.Get(), &childPath));
  } else {
    RETURN_IF_FAILED(ReadStorageName(storage.Get(), &facts));
    locations::ChildKey(location, path, facts.name, &key, &pathStart);
  }
  const std::basic_string_view<WCHAR> shownPath =
      isEntry ? std::basic_string_view<WCHAR>(childPath) : std::basic_string_view<WCHAR>(key).substr(pathStart);
  LONG kind = KindClassify;
  if (!IsShown(deviceNumber, storage, shownPath, &kind, &facts)) {
    // The folder no longer shows all it holds: deleting it, or any folder
    // above it, would remove what the host never saw.
    if (!isEntry) resolver_.InvalidateUpwards(location, path);
    return S_FALSE;
  }
  // The listing's device is at hand, so the child's node is made from the
  // storage itself rather than by a walk from the medium.
  const DeviceRecord* device = devices_.FindDeviceRecord(deviceNumber);
  const NodeRef handle =
      isEntry ? resolver_.ResolveStorage(location, childPath, RESOLVE_ITEM, device, std::move(storage), kind, &facts)
              : resolver_.ResolveKey(location, key, pathStart,
                                     RESOLVE_ITEM | (state && state->childPathsJoin ? RESOLVE_IN_JOINABLE_FOLDER : 0),
                                     device, std::move(storage), kind, &facts);
  // Checked once: nothing below drops a node before the record is copied.
  StorageNode* node = handle.get();
  if (!node || !node->item) return IPP_E_NOTFOUND;
  if (!isEntry) {
    node->item->CopyTo(item);
    return S_OK;
  }
  if (!MakeEntryItem(location, path, childPath, item)) return E_FAIL;
  if (state) {
    state->flags += 1;
    item->SetPropertyLong(kItemOrder, state->flags);
  }
  return S_OK;
}

bool ItemListings::MakeEntryItem(const WString& location, const WString& playlistPath, const WString& trackPath,
                                 kiIPPItem* item) {
  NodeRef node = resolver_.ResolveStorage(location, trackPath, RESOLVE_ITEM);
  if (!node || !node->item || !item) return false;
  node->item->CopyTo(item);
  return SUCCEEDED(resolver_.MakeEntryId(location, playlistPath, item));
}

HRESULT ItemListings::Open(const WString& location, const WString& hostPath, kiIPPItem* item,
                           IPPFINDHANDLE* find) {
  // A cached folder that outlived its interface is forgotten and found anew.
  return WithOneRetry(resolver_, RetriedOperation::FindFirstItem,
                      [&](NodeRef* node) { return OpenOnce(location, hostPath, item, find, node); });
}

HRESULT ItemListings::OpenOnce(const WString& location, const WString& hostPath, kiIPPItem* item,
                               IPPFINDHANDLE* find, NodeRef* listed) {
  const WString path = resolver_.ToDevicePath(location, hostPath);
  NodeRef node = resolver_.ResolveStorage(location, path, RESOLVE_ITEM);
  // The medium's root is no folder the host could be shown, but it is
  // listed like one.
  if (!node && locations::PathComponents(path).empty()) node = resolver_.ResolveStorage(location, path, 0);
  *listed = node;
  if (!node) return IPP_E_NOTFOUND;

  std::unique_ptr<FindState> state(new (std::nothrow) FindState);
  if (!state) return E_OUTOFMEMORY;
  state->location.Reset(SysAllocStringLen(location.data(), static_cast<UINT>(location.size())));
  if (!state->location) return E_OUTOFMEMORY;
  state->locationText = location;
  state->device = node->device;
  state->index = node->deviceNumber;
  state->path = path;
  state->childPathsJoin = locations::IsJoinableFolderPath(path);
  const ComPtr<IWMDMStorage> storage = node->storage;
  if (node->item && node->item->GetKind() == KindPlaylist) return OpenPlaylist(std::move(state), storage, item, find);
  return OpenFolder(std::move(state), storage, item, find);
}

HRESULT ItemListings::OpenPlaylist(std::unique_ptr<FindState> state, const ComPtr<IWMDMStorage>& storage,
                                   kiIPPItem* item, IPPFINDHANDLE* find) {
  ComPtr<IWMDMStorage4> playlist;
  RETURN_IF_FAILED(storage.As(&playlist));
  StorageBlock references;
  RETURN_IF_FAILED(playlist->GetReferences(references.PutCount(), references.PutItems()));
  for (DWORD position = 0; position < references.Count(); ++position) {
    IWMDMStorage* entry = references.At(position);
    if (!entry || ReportChild(state->locationText, ComPtr<IWMDMStorage>(entry), true, state->path, state->index,
                              nullptr, item) != S_OK)
      continue;
    item->SetPropertyLong(kItemOrder, 0);
    state->items = std::move(references);
    state->position = position;
    *find = state.release()->ToHandle();
    return S_OK;
  }
  return S_FALSE;
}

HRESULT ItemListings::OpenFolder(std::unique_ptr<FindState> state, const ComPtr<IWMDMStorage>& storage,
                                 kiIPPItem* item, IPPFINDHANDLE* find) {
  // Raw enumeration lists what the medium holds, not a view the device's
  // own metadata builds; a device without the preference lists as it can.
  ComPtr<IWMDMStorage3> withPreference;
  if (SUCCEEDED(storage.As(&withPreference)) && withPreference) {
    WMDM_STORAGE_ENUM_MODE raw = ENUM_MODE_RAW;
    withPreference->SetEnumPreference(&raw, 0, nullptr);
  }
  ComPtr<IWMDMEnumStorage> children;
  RETURN_IF_FAILED(storage->EnumStorage(&children));
  if (!children) return E_FAIL;
  for (;;) {
    ComPtr<IWMDMStorage> child;
    const HRESULT next = NextOfEnumerator(children.Get(), child);
    RETURN_IF_FAILED(next);
    if (next != S_OK) return S_FALSE;
    if (ReportChild(state->locationText, std::move(child), false, state->path, state->index, state.get(), item) !=
        S_OK)
      continue;
    state->enumerator = std::move(children);
    *find = state.release()->ToHandle();
    return S_OK;
  }
}

HRESULT ItemListings::Next(FindState& state, kiIPPItem* item) {
  const WString& location = state.locationText;
  if (state.items.Count()) {
    const DWORD count = state.items.Count();
    while (state.position < count && ++state.position < count) {
      IWMDMStorage* entry = state.items.At(state.position);
      if (entry &&
          ReportChild(location, ComPtr<IWMDMStorage>(entry), true, state.path, state.index, &state, item) == S_OK)
        return S_OK;
    }
    return S_FALSE;
  }
  if (!state.enumerator) return S_FALSE;
  for (;;) {
    ComPtr<IWMDMStorage> child;
    const HRESULT next = NextOfEnumerator(state.enumerator.Get(), child);
    RETURN_IF_FAILED(next);
    if (next != S_OK) return S_FALSE;
    if (ReportChild(location, std::move(child), false, state.path, state.index, &state, item) == S_OK) return S_OK;
  }
}
