// Telling the host what changed on a device, so that its view stays current
// without a new listing: ContentAdded, ContentRemoved and PlaylistChanged,
// each with the host paths of the folders above the item.
#include "content/host_notifier.h"

#include <unique_bstr.h>
#include <unique_safearray.h>

#include "base/device_text.h"
#include "content/item_filter.h"
#include "content/kc_ipp_item.h"
#include "content/locations.h"
#include "content/playlist_references.h"
#include "host_sdk/ipp_result_codes.h"
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

UniqueSafeArray MakeArray(VARTYPE type, size_t count) {
  return UniqueSafeArray(SafeArrayCreateVector(type, 0, static_cast<ULONG>(count)));
}

}  // namespace

HRESULT HostNotifier::CollectChangedFolders(const WString& location, const WString& path,
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

void HostNotifier::NotifyChange(const WString& location, const WString& path, ContentChange code) {
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
      callback->ContentAdded(&link_.Plugin(), node->deviceNumber, where, &pathsOut, &kindsOut, node->item.get());
      return;
    case ContentChange::RenamedAway:
    case ContentChange::Removed:
    case ContentChange::RemovedOther:
      callback->ContentRemoved(&link_.Plugin(), node->deviceNumber, where, &pathsOut, &kindsOut);
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
  callback->PlaylistChanged(&link_.Plugin(), deviceNumber, where, &pathsOut, &kindsOut, &entriesOut, item);
}

void HostNotifier::ReportRemoval(const WString& location, const WString& path, const NodeRef& node) {
  kiPluginHostCallback* callback = link_.Callback();
  const LONG kind = node && node->item ? node->item->GetKind() : KindClassify;
  if (callback && (kind == KindFolder || kind == KindPlaylist || kind == KindFile)) {
    std::vector<WString> paths;
    std::vector<LONG> kinds;
    CollectChangedFolders(location, path, &paths, &kinds, true);
    paths.push_back(resolver_.ToHostPath(location, path));
    kinds.push_back(kind);
    UniqueSafeArray pathArray = MakeArray(VT_BSTR, paths.size());
    UniqueSafeArray kindArray = MakeArray(VT_I4, kinds.size());
    bool filled = pathArray && kindArray;
    for (LONG i = 0; filled && i < static_cast<LONG>(paths.size()); ++i) {
      UniqueBstr text(paths[i]);
      LONG value = kinds[i];
      filled = text && SUCCEEDED(SafeArrayPutElement(pathArray.Get(), &i, text.Get())) &&
               SUCCEEDED(SafeArrayPutElement(kindArray.Get(), &i, &value));
    }
    if (filled) {
      SAFEARRAY* pathsOut = pathArray.Get();
      SAFEARRAY* kindsOut = kindArray.Get();
      callback->ContentRemoved(&link_.Plugin(), node->deviceNumber, location.c_str(), &pathsOut, &kindsOut);
    }
  }
}
