// Renaming an item. On a device that keeps playlists, the entries naming a
// track (or anything in a folder) are noted first and looked for afterwards:
// a device that lost one on the way gets it back, and a rename whose
// playlists cannot be kept is undone and reported.
#include <result_macros.h>

#include "content/content_editor.h"
#include "content/item_filter.h"
#include "content/locations.h"
#include "content/playlist_references.h"
#include "content/storage_items.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// The playlist entries naming the item at `path` (a track, or anything in a
// folder) and the item's device path as the device spells it; nothing on a
// device without playlists.
HRESULT NoteEntries(ContentEditor& plugin, const WString& location, const WString& path,
                    std::vector<ContentEditor::PlaylistEntry>* entries, WString* itemPath) {
  DeviceRecord* device = plugin.Resolver().FindDeviceByLocation(location);
  if (!device || !DeviceKeepsPlaylists(*device)) return S_OK;
  NodeRef node = plugin.Resolver().ResolveStorage(location, path, RESOLVE_ITEM);
  if (!node || !node->storage || !node->item) return S_OK;  // the rename finds it missing
  const LONG kind = node->item->GetKind();
  if (kind != KindFile && kind != KindFolder) return S_OK;
  *itemPath = PathOrNothing(node->storage.Get());
  if (itemPath->empty()) return S_OK;
  ContentEditor::ReferenceRemoval search{&plugin, path, entries};
  return plugin.WalkMedium(location, ContentEditor::FindReferencesVisit, &search);
}

HRESULT RenameAt(ContentEditor& plugin, const WString& location, const WString& path, const WString& name,
                 LONG* kind) {
  return WithOneRetry(plugin.Resolver(), RetriedOperation::RenameItem, [&](NodeRef* node) -> HRESULT {
    *node = plugin.Resolver().ResolveStorage(location, path, RESOLVE_ITEM);
    if (!*node || !(*node)->storage) return IPP_E_NOTFOUND;
    *kind = (*node)->item ? (*node)->item->GetKind() : KindClassify;
    ComPtr<IWMDMStorageControl> control;
    RETURN_IF_FAILED((*node)->storage.As(&control));
    WString argument = name;
    return control->Rename(WMDM_MODE_BLOCK, &argument[0], nullptr);
  });
}

}  // namespace

HRESULT ContentEditor::RenameItem(const WCHAR* location, const WCHAR* path, const WCHAR* newName) {
  const WString where(location);
  if (resolver_.SplitEntryId(where, path, nullptr, nullptr)) return IPP_E_UNKNOWNPROPERTY;
  const WString devicePath = resolver_.ToDevicePath(where, path);
  const WString name(newName);
  WriteLog(W("kcWMDM10Plugin::RenameItem called asking to rename ") + devicePath + W(" to ") + name);
  std::vector<PlaylistEntry> entries;
  WString itemPath;
  RETURN_IF_FAILED(NoteEntries(*this, where, devicePath, &entries, &itemPath));
  LONG kind = KindClassify;
  const HRESULT hr = RenameAt(*this, where, devicePath, name, &kind);
  if (FAILED(hr)) return hr;
  WString oldName;
  const WString newPath = locations::JoinPath(locations::SplitPath(devicePath, &oldName), name);
  NotifyChange(where, devicePath, ContentChange::RenamedAway);
  // The nodes at and below the old path still hold the item's interfaces,
  // which a device that keeps objects by handle leaves alive under the new
  // name: the old path must find nothing.
  if (kind == KindFolder)
    resolver_.ClearNodeCache();
  else
    resolver_.DropNodeAt(where, devicePath);
  NotifyChange(where, newPath, ContentChange::Added);
  if (kind == KindPlaylist) NotifyChange(where, newPath, ContentChange::PlaylistChanged);
  if (entries.empty()) return hr;
  const HRESULT kept =
      KeepRenamedEntries(where, entries, itemPath, locations::JoinPath(locations::SplitPath(itemPath), name));
  if (SUCCEEDED(kept)) return hr;
  // The old name again, so that every playlist still names the item.
  WriteLog(W("WMDM10::RenameItem renamed ") + devicePath + W(" to ") + name +
           W(", but a playlist could not be given its entry for it; the rename is undone"));
  if (FAILED(RenameAt(*this, where, newPath, oldName, &kind))) {
    WriteLog(W("WMDM10::RenameItem could not undo the rename of ") + devicePath);
    return kept;
  }
  NotifyChange(where, newPath, ContentChange::RenamedAway);
  resolver_.ClearNodeCache();  // the nodes at and below the old path name dead storages
  NotifyChange(where, devicePath, ContentChange::Added);
  (void)KeepRenamedEntries(where, entries, itemPath, itemPath);
  return kept;
}
