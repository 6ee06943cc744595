// Deleting a track, a folder with everything in it, a playlist, or one entry
// of a playlist. A track leaves every playlist that names it before it goes,
// so that no playlist on the device points at nothing.
#include <result_macros.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

#include "content/content_editor.h"
#include "content/kc_ipp_item.h"
#include "content/locations.h"
#include "content/storage_items.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_sdk/ki_plugin_host_callback.h"

HRESULT ContentEditor::DeleteStorage(const WString& location, const WString& path, const NodeRef& node,
                                     bool recursive, bool oneByOne) {
  if (location.empty() || !node) return IPP_E_FAIL;
  // A listing here or below left a child out: deleting the folder as a whole
  // would take along what the host never saw.
  if (!node->current) return IPP_E_STALE;
  if (!node->storage || !node->item) return E_FAIL;
  const LONG kind = node->item->GetKind();
  const UINT mode = recursive && kind == KindFolder ? WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE : WMDM_MODE_BLOCK;
  ComPtr<IWMDMStorageControl> control;
  HRESULT hr = node->storage.As(&control);
  if (SUCCEEDED(hr)) hr = control->Delete(mode, nullptr);
  if (FAILED(hr)) {
    if (oneByOne && kind == KindFolder) return WalkTree(location, path, DeleteEachVisit, this);
    return hr;
  }
  ReportRemoval(location, path, node);
  return S_OK;
}

HRESULT ContentEditor::DeleteEachVisit(const WString& location, const NodeRef& node, void* context) {
  auto* plugin = static_cast<ContentEditor*>(context);
  if (!plugin || !node || !node->item) return IPP_E_FAIL;
  UniqueBstr itemLocation;
  itemLocation.Reset(node->item->GetLocation());  // adopted, not copied
  return plugin->DeleteStorage(location, plugin->Resolver().ToDevicePath(location, itemLocation.ToString()), node, false,
                               false);
}

HRESULT ContentEditor::DeleteItem(const WCHAR* location, const WCHAR* id) {
  const WString where(location);
  WString playlistPath;
  WString trackPath;
  if (resolver_.SplitEntryId(where, id, &playlistPath, &trackPath)) {
    NodeRef playlistNode = resolver_.ResolveStorage(where, playlistPath, 0);
    const ComPtr<IWMDMStorage> playlist = playlistNode ? playlistNode->storage : nullptr;
    NodeRef trackNode = resolver_.ResolveStorage(where, trackPath, 0);
    const ComPtr<IWMDMStorage> track = trackNode ? trackNode->storage : nullptr;
    WriteLog(W("WMDM10::DeleteItem called to delete ") + trackPath + W(" from playlist at ") + playlistPath);
    if (!playlist || !track) return IPP_E_NOTFOUND;
    return EditPlaylistReferences(where, playlistPath, playlist, track, false, -1, nullptr);
  }
  const WString path = resolver_.ToDevicePath(where, id);
  WriteLog(W("WMDM10::DeleteItem called to delete ") + path);
  DeviceRecord* device = resolver_.FindDeviceByLocation(where);
  const bool keepsPlaylists = device && DeviceKeepsPlaylists(*device);
  // Every storage below the item gets a node, and a folder whose listing
  // leaves something out is marked not current.
  RETURN_IF_FAILED(WalkTree(where, path, nullptr, nullptr));
  std::vector<PlaylistEntry> removed;
  HRESULT hr = S_OK;
  if (keepsPlaylists) {
    ReferenceRemoval removal{this, path, &removed};
    hr = WalkMedium(where, RemoveReferencesVisit, &removal);
  }
  if (SUCCEEDED(hr)) hr = DeleteWithOneRetry(where, path);
  // What stays keeps its places in the playlists, and the host hears it.
  if (FAILED(hr)) (void)PutBackEntries(where, removed);
  return hr;
}

// ERROR_NOT_SAME_DEVICE as the device answers it.
const HRESULT kNotSameDevice = HRESULT_FROM_WIN32(17);

HRESULT ContentEditor::DeleteWithOneRetry(const WString& location, const WString& path) {
  NodeRef target;
  HRESULT hr = WithOneRetry(resolver_, RetriedOperation::DeleteItem, [&](NodeRef* node) -> HRESULT {
    *node = target = resolver_.ResolveStorage(location, path, RESOLVE_ITEM);
    return target ? DeleteStorage(location, path, target, true, false) : IPP_E_NOTFOUND;
  });
  // A folder the device will not delete because it reaches onto another
  // file system (a card or a mount inside it) is not taken apart item by
  // item either: the refusal comes before anything is deleted, and stays so.
  if (FAILED(hr) && hr != kNotSameDevice && target && target->item && target->item->GetKind() == KindFolder)
    hr = DeleteStorage(location, path, target, true, true);
  return hr;
}
