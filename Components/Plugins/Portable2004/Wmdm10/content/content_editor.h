// The content edits: sending a track (content_transfer.cpp), deleting
// (content_delete.cpp), renaming (content_rename.cpp), creating folders and
// playlists and rewriting a playlist (content_editing.cpp), the playlist
// entries an edit takes out and puts back (playlist_entries.cpp), and the
// tree walk they share (tree_walk.cpp), which lists through the item
// listings the listing slots use, so that it sees exactly what the host sees. The host
// hears of each change through the HostNotifier. Call under the plug-in lock.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "content/content_change.h"
#include "content/host_notifier.h"
#include "content/item_listings.h"
#include "content/node_ref.h"
#include "content/storage_resolver.h"
#include "content/tree_walk.h"
#include "core/device_directory.h"
#include "core/host_link.h"
#include "host_sdk/ki_item_id_list.h"

class ContentEditor {
 public:
  ContentEditor(HostLink& link, StorageResolver& resolver, DeviceDirectory& devices, ItemListings& listings,
                HostNotifier& notifier)
      : link_(link), resolver_(resolver), devices_(devices), listings_(listings), notifier_(notifier) {}
  ContentEditor(const ContentEditor&) = delete;
  ContentEditor& operator=(const ContentEditor&) = delete;

  // The content slots' work, behind their doors: the arguments as the host
  // gave them, checked here where the doors leave them.
  HRESULT RenameItem(const WCHAR* location, const WCHAR* path, const WCHAR* newName);
  HRESULT CreatePlaylist(const WCHAR* location, const WCHAR* folderPath, const WCHAR* name, BSTR* newPath);
  HRESULT UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath, kiItemIdList* entries);
  HRESULT CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name, BSTR* newPath);
  HRESULT DownloadFile(const WCHAR* location, const WCHAR* targetPath, const WCHAR* sourcePath, kiIPPItem* item,
                       DWORD existingFileMode, DWORD cookie, DWORD* outcome);
  HRESULT DeleteItem(const WCHAR* location, const WCHAR* path);

  // What the edits and their helpers reach through the editor.
  StorageResolver& Resolver() { return resolver_; }
  DeviceRecord* FindDeviceRecord(LONG deviceNumber) { return devices_.FindDeviceRecord(deviceNumber); }
  kiPluginHostCallback* HostCallback() const { return link_.Callback(); }
  void WriteLog(WString message) const { link_.WriteLog(std::move(message)); }
  // The item listings the walk lists through, as the listing slots do.
  ItemListings& Listings() { return listings_; }

  // The tree walk (tree_walk.cpp).
  // Walks the subtree at `path` children first; see content/tree_walk.h.
  HRESULT WalkTree(const WString& location, const WString& path, WalkVisit visit, void* context);
  // The same over every item of the medium, from its root.
  HRESULT WalkMedium(const WString& location, WalkVisit visit, void* context);

  // The host's change callbacks (content/host_notifier.h).
  void NotifyChange(const WString& location, const WString& path, ContentChange code) {
    notifier_.NotifyChange(location, path, code);
  }
  // Inserts `track` into, or removes its first same-named entry from, the
  // references of `playlist` (device path `playlistPath`). `position` -1 is
  // the end; `index`, when given, receives where the entry went or was.
  HRESULT EditPlaylistReferences(const WString& location, const WString& playlistPath, ComPtr<IWMDMStorage> playlist,
                                 ComPtr<IWMDMStorage> track, bool insert, LONG position, LONG* index);

  // One playlist entry naming an item about to go or be renamed: the
  // playlist's device path, the entry's index in the list as it was, the
  // storage it named and that storage's device path (empty when unread).
  struct PlaylistEntry {
    WString playlistPath;
    LONG index = -1;
    ComPtr<IWMDMStorage> track;
    WString trackPath;
  };
  // What RemoveReferencesVisit and FindReferencesVisit are handed: the
  // editor, the device path of the track or folder and, when wanted, the
  // entries found (for RemoveReferencesVisit, those taken out).
  struct ReferenceRemoval {
    ContentEditor* editor = nullptr;
    WString trackPath;
    std::vector<PlaylistEntry>* removed = nullptr;
  };
  // Takes every entry naming `item` (for a folder, anything below it) out of
  // `playlist` in one write, appends what it took to `removed` when given,
  // and reports the new order to the host.
  HRESULT TakeOutOfPlaylist(const WString& location, const WString& playlistPath,
                            const ComPtr<IWMDMStorage>& playlist, const ComPtr<IWMDMStorage>& item, bool folder,
                            std::vector<PlaylistEntry>* removed);
  // Puts entries taken out back at their places, one write and one report
  // per playlist; `track`, when given, in place of what each entry named.
  // An entry whose storage is gone stays out. Every playlist is tried; the
  // first failure is the result.
  HRESULT PutBackEntries(const WString& location, const std::vector<PlaylistEntry>& entries,
                         const ComPtr<IWMDMStorage>& track = ComPtr<IWMDMStorage>());
  // Deletes the storage of `node` (at device path `path`): recursively when
  // asked and it is a folder; when WMDM refuses a folder and `oneByOne`, its
  // content item by item, children first. IPP_E_STALE for a folder that is
  // not current. Reports the removal to the host.
  HRESULT DeleteStorage(const WString& location, const WString& path, const NodeRef& node, bool recursive,
                        bool oneByOne);
  // After a rename of what was at `oldPath` to `newPath`: every entry in
  // `entries` (found before the rename) that its playlist no longer names
  // is put back under the new path (a playlist that cannot be read is left
  // as it is). IPP_E_NOTFOUND when one does not resolve there; otherwise the
  // first failure of a write.
  HRESULT KeepRenamedEntries(const WString& location, const std::vector<PlaylistEntry>& entries,
                             const WString& oldPath, const WString& newPath);
  // Tells the host that the item of `node`, at device path `path`, is gone.
  void ReportRemoval(const WString& location, const WString& path, const NodeRef& node) {
    notifier_.ReportRemoval(location, path, node);
  }
  // DeleteItem's deletion proper, once more after a dead interface; a folder
  // WMDM refuses is emptied one by one.
  HRESULT DeleteWithOneRetry(const WString& location, const WString& path);
  // Tree-walk visits: deleting one item (context: the editor), and taking a
  // track out of a playlist (context: a ReferenceRemoval).
  static HRESULT DeleteEachVisit(const WString& location, const NodeRef& node, void* context);
  static HRESULT RemoveReferencesVisit(const WString& location, const NodeRef& node, void* context);
  // Records every entry naming the item (or anything below a folder) without
  // changing the playlist (context: a ReferenceRemoval with a list).
  static HRESULT FindReferencesVisit(const WString& location, const NodeRef& node, void* context);

 private:
  HostLink& link_;
  StorageResolver& resolver_;
  DeviceDirectory& devices_;
  ItemListings& listings_;
  HostNotifier& notifier_;
};
