// Creating folders and playlists, and rewriting a playlist's entries.
#include <objbase.h>

#include <optional>

#include <result_macros.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

#include "base/device_text.h"
#include "content/content_editor.h"
#include "content/item_filter.h"
#include "content/locations.h"
#include "content/playlist_references.h"
#include "content/storage_lookup.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_sdk/ki_item_id_list.h"
#include "host_sdk/ki_plugin_host_callback.h"

HRESULT ContentEditor::EditPlaylistReferences(const WString& location, const WString& playlistPath,
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
// name in the parent, the host path handed out and the notification. The
// path is the one of the name the device gave, which `insert` reports when
// it differs from the one asked for (a playlist given the extension players
// look for).
template <typename Insert>
HRESULT CreateChild(ContentEditor& plugin, const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
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
  WString made;
  const HRESULT hr = WithOneRetry(plugin.Resolver(), operation, [&](NodeRef* node) -> HRESULT {
    *node = plugin.Resolver().ResolveStorage(where, parent, 0);
    if (!*node || !(*node)->storage) return IPP_E_NOTFOUND;
    ComPtr<IWMDMStorage> existing;
    if (FindChildStorage((*node)->storage, childName, &existing) == S_OK) return IPP_E_ALREADYEXISTS;
    made = childName;
    return insert((*node)->storage, childName, &made);
  });
  if (FAILED(hr)) return hr;
  const WString childPath = locations::JoinPath(parent, made);
  UniqueBstr text(plugin.Resolver().ToHostPath(where, childPath));
  if (text) {
    *newPath = text.Release();
    plugin.NotifyChange(where, childPath, changeCode);
  }
  return hr;
}

}  // namespace

HRESULT ContentEditor::CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
                                    BSTR* newPath) {
  return CreateChild(*this, location, parentPath, name, newPath, RetriedOperation::CreateFolder,
                     W("WMDM10::CreateFolder called to create a folder named "), ContentChange::FolderCreated,
                     [](const ComPtr<IWMDMStorage>& parent, WString childName, WString*) -> HRESULT {
                       ComPtr<IWMDMStorageControl> control;
                       RETURN_IF_FAILED(parent.As(&control));
                       ComPtr<IWMDMStorage> created;
                       return control->Insert(WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER, &childName[0], nullptr,
                                              nullptr, &created);
                     });
}

HRESULT ContentEditor::CreatePlaylist(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
                                      BSTR* newPath) {
  return CreateChild(*this, location, parentPath, name, newPath, RetriedOperation::CreatePlaylist,
                     W("WMDM10::CreatePlaylist called to create a playlist named "), ContentChange::PlaylistCreated,
                     [](const ComPtr<IWMDMStorage>& parent, WString childName, WString* made) -> HRESULT {
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
                       const HRESULT inserted = control->Insert3(WMDM_MODE_BLOCK | WMDM_CONTENT_FILE, 0, nullptr,
                                                                 &childName[0], nullptr, nullptr, metadata.Get(),
                                                                 nullptr, &created);
                       if (FAILED(inserted)) return inserted;
                       // Made under another name: the host is told that one. A name that
                       // cannot be read leaves the one asked for.
                       WString name;
                       if (created && SUCCEEDED(ReadName(created.Get(), &name)) && !name.empty()) *made = name;
                       return inserted;
                     });
}

HRESULT ContentEditor::UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath, kiItemIdList* entries) {
  const WString where(location);
  const WString path = resolver_.ToDevicePath(where, playlistPath);
  WriteLog(W("WMDM10::UpdatePlaylist called to reorder playlist located at ") + path);
  NodeRef playlistNode;
  std::vector<NodeRef> trackNodes;
  const HRESULT hr = RetryOnceIfDead(
      RetriedOperation::UpdatePlaylist,
      [&]() -> HRESULT {
        trackNodes.clear();
        playlistNode = resolver_.ResolveStorage(where, path, 0);
        if (!playlistNode || !playlistNode->storage) return IPP_E_NOTFOUND;
        const ComPtr<IWMDMStorage> playlist = playlistNode->storage;
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
          trackNodes.push_back(std::move(track));
        }
        return WriteReferences(playlist.Get(), tracks);
      },
      // The stale object may be a track handed in (an MTP player says so
      // with its own code) as well as the playlist: all are looked up afresh.
      [&] {
        resolver_.DropNode(playlistNode);
        for (const NodeRef& track : trackNodes) resolver_.DropNode(track);
      });
  if (SUCCEEDED(hr)) NotifyChange(where, path, ContentChange::PlaylistChanged);
  return hr;
}
