// Renaming, creating folders and playlists, rewriting a playlist's entries,
// and telling the host what changed so that its view of the device stays
// current without a new listing.
#include <objbase.h>

#include <optional>

#include <result_macros.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

#include "base/device_text.h"
#include "content/item_filter.h"
#include "content/locations.h"
#include "content/playlist_references.h"
#include "content/storage_lookup.h"
#include "core/host_boundary.h"
#include "core/kc_wmdm10_plugin.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_sdk/ki_item_id_list.h"
#include "host_sdk/ki_plugin_host_callback.h"

namespace {

// The arrays handed to a callback: made for the call and destroyed after it.
UniqueSafeArray MakeTextArray(const std::vector<WString>& texts) {
  UniqueSafeArray array(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size())));
  if (!array) return array;
  for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
    UniqueBstr text(texts[i]);
    if (!text || FAILED(SafeArrayPutElement(array.Get(), &i, text.Get()))) return UniqueSafeArray();
  }
  return array;
}

UniqueSafeArray MakeKindArray(const std::vector<LONG>& kinds) {
  UniqueSafeArray array(SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(kinds.size())));
  if (!array) return array;
  for (LONG i = 0; i < static_cast<LONG>(kinds.size()); ++i) {
    LONG kind = kinds[i];
    if (FAILED(SafeArrayPutElement(array.Get(), &i, &kind))) return UniqueSafeArray();
  }
  return array;
}

}  // namespace

HRESULT kcWMDM10Plugin::CollectChangedFolders(const WString& location, const WString& path,
                                              std::vector<WString>* paths, std::vector<LONG>* kinds, bool skipSelf) {
  const WString hostPath = resolver_.ToHostPath(location, path);
  for (size_t at = hostPath.find(W('\\'), 1); at != WString::npos; at = hostPath.find(W('\\'), at + 1)) {
    paths->push_back(hostPath.substr(0, at));
    kinds->push_back(KindFolder);
  }
  if (skipSelf) return S_OK;
  NodeRef node = resolver_.ResolveStorage(location, path, RESOLVE_ITEM);
  if (!node || !node->storage) return IPP_E_NOTFOUND;
  if (node->item) {
    paths->push_back(hostPath);
    kinds->push_back(node->item->GetKind());
  }
  return S_OK;
}

void kcWMDM10Plugin::NotifyChange(const WString& location, const WString& path, ContentChange code) {
  kiPluginHostCallback* callback = link_.Callback();
  if (!callback) return;
  NodeRef node = resolver_.ResolveStorage(location, path, RESOLVE_ITEM | RESOLVE_TAGS);
  if (!node || !node->item) return;
  std::vector<WString> paths;
  std::vector<LONG> kinds;
  if (FAILED(CollectChangedFolders(location, path, &paths, &kinds, false))) return;
  UniqueSafeArray pathArray = MakeTextArray(paths);
  UniqueSafeArray kindArray = MakeKindArray(kinds);
  if (!pathArray || !kindArray) return;
  SAFEARRAY* pathsOut = pathArray.Get();
  SAFEARRAY* kindsOut = kindArray.Get();
  const WCHAR* where = location.c_str();
  switch (code) {
    case ContentChange::Added:
    case ContentChange::FolderCreated:
    case ContentChange::PlaylistCreated:
      callback->ContentAdded(this, node->deviceNumber, where, &pathsOut, &kindsOut, node->item.get());
      return;
    case ContentChange::RenamedAway:
    case ContentChange::Removed:
    case ContentChange::RemovedOther:
      callback->ContentRemoved(this, node->deviceNumber, where, &pathsOut, &kindsOut);
      return;
    case ContentChange::PlaylistChanged:
      break;
    default:
      return;
  }
  // Resolving the tracks below may add nodes; the playlist's own stays put,
  // but its storage and item are taken first all the same.
  const ComPtr<IWMDMStorage> playlist = node->storage;
  const LONG deviceNumber = node->deviceNumber;
  kiIPPItem* item = node->item.get();
  std::vector<ComPtr<IWMDMStorage>> references;
  if (!playlist || FAILED(ReadReferences(playlist.Get(), &references))) return;
  const WString playlistHostPath = resolver_.ToHostPath(location, path);
  std::vector<WString> entries;
  for (const auto& reference : references) {
    WString name;
    WString trackPath;
    if (!reference || FAILED(ReadName(reference.Get(), &name))) continue;
    if (FAILED(StoragePath(reference.Get(), &trackPath))) continue;
    if (!resolver_.ResolveStorage(location, trackPath, RESOLVE_ITEM)) continue;
    entries.push_back(playlistHostPath + W("|") + resolver_.ToHostPath(location, trackPath));
  }
  UniqueSafeArray entryArray = MakeTextArray(entries);
  if (!entryArray) return;
  SAFEARRAY* entriesOut = entryArray.Get();
  callback->PlaylistChanged(this, deviceNumber, where, &pathsOut, &kindsOut, &entriesOut, item);
}

HRESULT kcWMDM10Plugin::EditPlaylistReferences(const WString& location, const WString& playlistPath,
                                               ComPtr<IWMDMStorage> playlist, ComPtr<IWMDMStorage> track,
                                               bool insert, LONG position, LONG* index) {
  if (!playlist || !track) return IPP_E_FAIL;
  if (index) *index = -1;
  std::vector<ComPtr<IWMDMStorage>> references;
  RETURN_IF_FAILED(ReadReferences(playlist.Get(), &references));
  if (references.empty() && !insert) return S_OK;
  const LONG count = static_cast<LONG>(references.size());
  std::vector<ComPtr<IWMDMStorage>> edited;
  LONG at = -1;
  if (insert) {
    // A position past the end puts the track last, as -1 does.
    at = position < 0 || position > count ? count : position;
    edited.reserve(references.size() + 1);
    edited.insert(edited.end(), references.begin(), references.begin() + at);
    edited.push_back(track);
    edited.insert(edited.end(), references.begin() + at, references.end());
  } else {
    WString trackName;
    RETURN_IF_FAILED(ReadName(track.Get(), &trackName));
    // The name is the cheap test; a same-named track in another folder must
    // stay in the list, so a matching name is confirmed by the device path.
    // Where either path cannot be read, the name alone decides.
    std::optional<WString> trackPath;
    auto isTrack = [&](IWMDMStorage* reference) {
      WString name;
      // A reference whose name cannot be read is not the track; it stays.
      if (FAILED(ReadName(reference, &name)) || name != trackName) return false;
      if (!trackPath) trackPath = PathOrNothing(track.Get());
      const WString referencePath = PathOrNothing(reference);
      return trackPath->empty() || referencePath.empty() || referencePath == *trackPath;
    };
    for (LONG i = 0; i < count; ++i) {
      if (at < 0 && isTrack(references[i].Get())) {
        at = i;
        continue;
      }
      edited.push_back(references[i]);
    }
    if (at < 0) return S_OK;
  }
  references.clear();
  const HRESULT hr = WriteReferences(playlist.Get(), edited);
  if (FAILED(hr)) return hr;
  if (index) *index = at;
  NotifyChange(location, playlistPath, ContentChange::PlaylistChanged);
  return hr;
}

namespace {

// What CreateFolder and CreatePlaylist share: the checks, the lookup of the
// name in the parent, the host path handed out and the notification.
template <typename Insert>
HRESULT CreateChild(kcWMDM10Plugin& plugin, const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
                    BSTR* newPath, RetriedOperation operation, const WCHAR* logStart, ContentChange changeCode, Insert insert) {
  if (newPath) *newPath = nullptr;
  if (!location || !parentPath || !name || !newPath) return IPP_E_FAIL;
  const WString where(location);
  if (plugin.Resolver().SplitEntryId(where, parentPath, nullptr, nullptr)) return IPP_E_UNKNOWNPROPERTY;
  const WString parent = plugin.Resolver().ToDevicePath(where, parentPath);
  const WString childName(name);
  // A name, not a path: a device makes a folder from the last part of a
  // path, elsewhere than the path this slot hands back.
  if (childName.find_first_of(W("\\/")) != WString::npos || childName == W(".") || childName == W(".."))
    return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
  plugin.WriteLog(logStart + childName + W(" at location ") + parent);
  const HRESULT hr = WithOneRetry(plugin.Resolver(), operation, [&](NodeRef* node) -> HRESULT {
    *node = plugin.Resolver().ResolveStorage(where, parent, 0);
    if (!*node || !(*node)->storage) return IPP_E_NOTFOUND;
    ComPtr<IWMDMStorage> existing;
    if (FindChildStorage((*node)->storage, childName, &existing) == S_OK) return IPP_E_ALREADYEXISTS;
    return insert((*node)->storage, childName);
  });
  if (FAILED(hr)) return hr;
  const WString childPath = locations::JoinPath(parent, childName);
  UniqueBstr text(plugin.Resolver().ToHostPath(where, childPath));
  if (text) {
    *newPath = text.Release();
    plugin.NotifyChange(where, childPath, changeCode);
  }
  return hr;
}

}  // namespace

HRESULT kcWMDM10Plugin::CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
                                     BSTR* newPath) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    return CreateChild(*this, location, parentPath, name, newPath, RetriedOperation::CreateFolder,
                       W("WMDM10::CreateFolder called to create a folder named "), ContentChange::FolderCreated,
                       [](const ComPtr<IWMDMStorage>& parent, WString childName) -> HRESULT {
                         ComPtr<IWMDMStorageControl> control;
                         RETURN_IF_FAILED(parent.As(&control));
                         ComPtr<IWMDMStorage> created;
                         return control->Insert(WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER, &childName[0], nullptr,
                                                nullptr, &created);
                       });
  });
}

HRESULT kcWMDM10Plugin::CreatePlaylist(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
                                       BSTR* newPath) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    return CreateChild(*this, location, parentPath, name, newPath, RetriedOperation::CreatePlaylist,
                       W("WMDM10::CreatePlaylist called to create a playlist named "), ContentChange::PlaylistCreated,
                       [](const ComPtr<IWMDMStorage>& parent, WString childName) -> HRESULT {
                         ComPtr<IWMDMStorage3> parent3;
                         RETURN_IF_FAILED(parent.As(&parent3));
                         ComPtr<IWMDMMetaData> metadata;
                         RETURN_IF_FAILED(parent3->CreateEmptyMetadataObject(&metadata));
                         if (!metadata) return E_FAIL;
                         DWORD format = WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST;
                         RETURN_IF_FAILED(metadata->AddItem(WMDM_TYPE_DWORD, W("WMDM/FormatCode"),
                                                            reinterpret_cast<BYTE*>(&format), sizeof(format)));
                         ComPtr<IWMDMStorageControl3> control;
                         RETURN_IF_FAILED(parent.As(&control));
                         ComPtr<IWMDMStorage> created;
                         return control->Insert3(WMDM_MODE_BLOCK | WMDM_CONTENT_FILE, 0, nullptr, &childName[0],
                                                 nullptr, nullptr, metadata.Get(), nullptr, &created);
                       });
  });
}

HRESULT kcWMDM10Plugin::UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath, kiItemIdList* entries) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    if (!location || !playlistPath || !entries) return IPP_E_FAIL;
    const WString where(location);
    const WString path = resolver_.ToDevicePath(where, playlistPath);
    WriteLog(W("WMDM10::UpdatePlaylist called to reorder playlist located at ") + path);
    const HRESULT hr = WithOneRetry(resolver_, RetriedOperation::UpdatePlaylist, [&](NodeRef* node) -> HRESULT {
      *node = resolver_.ResolveStorage(where, path, 0);
      if (!*node || !(*node)->storage) return IPP_E_NOTFOUND;
      const ComPtr<IWMDMStorage> playlist = (*node)->storage;
      const ULONG count = entries->GetCount();
      std::vector<ComPtr<IWMDMStorage>> tracks;
      tracks.reserve(count);  // a failure comes out as E_OUTOFMEMORY
      for (ULONG i = 0; i < count; ++i) {
        const WCHAR* id = entries->GetItem(i);
        WString trackPath;
        // One identifier that names no entry spoils the whole list: the
        // playlist keeps what it had.
        if (!id || !resolver_.SplitEntryId(where, id, nullptr, &trackPath)) return E_FAIL;
        NodeRef track = resolver_.ResolveStorage(where, trackPath, 0);
        if (track && track->storage) tracks.push_back(track->storage);
      }
      return WriteReferences(playlist.Get(), tracks);
    });
    if (SUCCEEDED(hr)) NotifyChange(where, path, ContentChange::PlaylistChanged);
    return hr;
  });
}
