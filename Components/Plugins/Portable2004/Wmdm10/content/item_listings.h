// The host's item listings: the items directly inside a folder, or the
// entries of a playlist, one per call, each behind a handle (FindState) the
// host holds from the first call to the close. Opened, advanced and closed
// here; the facade's FindFirstItem, FindNextItem and FindItemClose are doors
// onto these.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "content/find_state.h"
#include "content/node_ref.h"
#include "content/storage_resolver.h"
#include "core/device_directory.h"
#include "core/host_link.h"
#include "host_sdk/ki_ipp_item.h"

struct StorageFacts;

class ItemListings {
 public:
  ItemListings(HostLink& host, StorageResolver& resolver, DeviceDirectory& devices)
      : host_(host), resolver_(resolver), devices_(devices) {}
  ItemListings(const ItemListings&) = delete;
  ItemListings& operator=(const ItemListings&) = delete;

  // Lists the folder or playlist at `hostPath`: the first child shown in
  // `item` and a handle in `find` (S_OK), or S_FALSE when nothing is shown.
  // A cached folder that outlived its interface is forgotten and found anew,
  // once.
  HRESULT Open(const WString& location, const WString& hostPath, kiIPPItem* item, IPPFINDHANDLE* find);
  // The next child shown (S_OK), or S_FALSE at the end.
  HRESULT Next(FindState& state, kiIPPItem* item);
  // Takes a listing's handle back from the host: what it holds goes with
  // the owner returned (FindItemClose).
  static std::unique_ptr<FindState> Take(IPPFINDHANDLE find) {
    return std::unique_ptr<FindState>(FindState::FromHandle(find));
  }
  // GetItemInformation's work: the record of the item (or of a playlist
  // entry's track) at the host's `id`, tags included.
  HRESULT Describe(const WString& location, const WString& id, kiIPPItem* item);

  // Whether the host is to see the storage at `path`; its ItemKind in
  // `kind` when shown and one is asked for. What was read of the storage is
  // kept in `facts` when given.
  bool IsShown(LONG deviceNumber, const ComPtr<IWMDMStorage>& storage, std::basic_string_view<WCHAR> path,
               LONG* kind = nullptr, StorageFacts* facts = nullptr);

 private:
  // One attempt of Open; `listed` receives the node of the folder or
  // playlist, the one a retry forgets.
  HRESULT OpenOnce(const WString& location, const WString& hostPath, kiIPPItem* item, IPPFINDHANDLE* find,
                   NodeRef* listed);
  HRESULT OpenPlaylist(std::unique_ptr<FindState> state, const ComPtr<IWMDMStorage>& playlist, kiIPPItem* item,
                       IPPFINDHANDLE* find);
  HRESULT OpenFolder(std::unique_ptr<FindState> state, const ComPtr<IWMDMStorage>& folder, kiIPPItem* item,
                     IPPFINDHANDLE* find);
  // Fills `item` with one child of the folder or playlist at `path` (a
  // device path): S_OK when reported, S_FALSE when the child is not shown.
  // The storage is consumed. `state` is the listing's handle once there is
  // one.
  HRESULT ReportChild(const WString& location, ComPtr<IWMDMStorage> storage, bool isEntry, const WString& path,
                      LONG deviceNumber, FindState* state, kiIPPItem* item);
  // The record of the track at `trackPath` as an entry of the playlist at
  // `playlistPath`: its location becomes the entry identifier.
  bool MakeEntryItem(const WString& location, const WString& playlistPath, const WString& trackPath,
                     kiIPPItem* item);

  HostLink& host_;
  StorageResolver& resolver_;
  DeviceDirectory& devices_;
};
