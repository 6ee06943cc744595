// Playlist entries naming an item that is to be deleted, replaced or
// renamed: found, taken out, and put back when the item stays, when its
// replacement takes its places, or when the device lost them on a rename.
#include <algorithm>
#include <optional>

#include <result_macros.h>
#include <unique_bstr.h>

#include "content/content_editor.h"
#include "content/locations.h"
#include "content/playlist_references.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using PlaylistEntry = ContentEditor::PlaylistEntry;

// Whether a reference names the item or, for a folder, anything below it.
class ItemMatcher {
 public:
  ItemMatcher(IWMDMStorage* item, bool folder) : item_(item), folder_(folder) {}

  HRESULT Start() {
    if (folder_) {
      // Only the path tells what lies below a folder.
      itemPath_ = PathOrNothing(item_);
      if (!itemPath_->empty() && itemPath_->back() != W('\\')) itemPath_->push_back(W('\\'));
      return S_OK;
    }
    return ReadName(item_, &itemName_);
  }

  // The entry's device path in `path` when it matches (empty when unread).
  bool Matches(IWMDMStorage* reference, WString* path) {
    if (folder_) {
      if (itemPath_->empty()) return false;
      *path = PathOrNothing(reference);
      return path->size() > itemPath_->size() && path->compare(0, itemPath_->size(), *itemPath_) == 0;
    }
    // The name is the cheap test; a same-named track in another folder must
    // stay in the list, so a matching name is confirmed by the device path.
    // Where either path cannot be read, the name alone decides. A reference
    // whose name cannot be read is not the track.
    WString name;
    if (FAILED(ReadName(reference, &name)) || name != itemName_) return false;
    if (!itemPath_) itemPath_ = PathOrNothing(item_);
    *path = PathOrNothing(reference);
    if (!itemPath_->empty() && !path->empty()) return *path == *itemPath_;
    if (path->empty()) *path = *itemPath_;
    return true;
  }

 private:
  IWMDMStorage* item_;
  const bool folder_;
  WString itemName_;
  std::optional<WString> itemPath_;
};

// The entries of `playlist` naming the item in `found`, the others in `others`.
HRESULT FindEntries(const WString& playlistPath, IWMDMStorage* playlist, IWMDMStorage* item, bool folder,
                    std::vector<PlaylistEntry>* found, std::vector<ComPtr<IWMDMStorage>>* others) {
  if (!playlist || !item) return IPP_E_FAIL;
  std::vector<ComPtr<IWMDMStorage>> references;
  RETURN_IF_FAILED(ReadReferences(playlist, &references));
  if (references.empty()) return S_OK;
  ItemMatcher matcher(item, folder);
  RETURN_IF_FAILED(matcher.Start());
  for (LONG i = 0; i < static_cast<LONG>(references.size()); ++i) {
    WString path;
    if (matcher.Matches(references[i].Get(), &path))
      found->push_back(PlaylistEntry{playlistPath, i, references[i], path});
    else if (others)
      others->push_back(references[i]);
  }
  return S_OK;
}

bool IsAlive(IWMDMStorage* storage) {
  WString name;
  return storage && SUCCEEDED(ReadName(storage, &name));
}

// The end of the run of entries of the playlist `first` belongs to.
std::vector<PlaylistEntry>::const_iterator PlaylistEnd(std::vector<PlaylistEntry>::const_iterator first,
                                                       std::vector<PlaylistEntry>::const_iterator end) {
  return std::find_if(first, end, [&](const PlaylistEntry& entry) { return entry.playlistPath != first->playlistPath; });
}

// What a visit needs of the playlist node and the item it looks for.
struct VisitTarget {
  WString playlistPath;
  ComPtr<IWMDMStorage> playlist;
  ComPtr<IWMDMStorage> item;
  bool folder = false;
};

bool TargetOf(const WString& location, const NodeRef& node, const ContentEditor::ReferenceRemoval* removal,
              VisitTarget* target) {
  if (!removal || !removal->editor || !node || !node->item || node->item->GetKind() != KindPlaylist) return false;
  ContentEditor& plugin = *removal->editor;
  UniqueBstr itemLocation;
  itemLocation.Reset(node->item->GetLocation());  // adopted, not copied
  target->playlistPath = plugin.Resolver().ToDevicePath(location, itemLocation.ToString());
  target->playlist = node->storage;
  NodeRef item = plugin.Resolver().ResolveStorage(location, removal->trackPath, RESOLVE_ITEM);
  if (!item || !item->storage) return false;
  target->item = item->storage;
  target->folder = item->item && item->item->GetKind() == KindFolder;
  return true;
}

}  // namespace

HRESULT ContentEditor::TakeOutOfPlaylist(const WString& location, const WString& playlistPath,
                                         const ComPtr<IWMDMStorage>& playlist, const ComPtr<IWMDMStorage>& item,
                                         bool folder, std::vector<PlaylistEntry>* removed) {
  std::vector<PlaylistEntry> taken;
  std::vector<ComPtr<IWMDMStorage>> kept;
  RETURN_IF_FAILED(FindEntries(playlistPath, playlist.Get(), item.Get(), folder, &taken, &kept));
  if (taken.empty()) return S_OK;
  RETURN_IF_FAILED(WriteReferences(playlist.Get(), kept));
  if (removed) removed->insert(removed->end(), taken.begin(), taken.end());
  NotifyChange(location, playlistPath, ContentChange::PlaylistChanged);
  return S_OK;
}

HRESULT ContentEditor::RemoveReferencesVisit(const WString& location, const NodeRef& node, void* context) {
  auto* removal = static_cast<ReferenceRemoval*>(context);
  VisitTarget target;
  if (!TargetOf(location, node, removal, &target)) return S_OK;
  // A playlist that cannot be edited keeps the entry; the others still lose it.
  (void)removal->editor->TakeOutOfPlaylist(location, target.playlistPath, target.playlist, target.item,
                                           target.folder, removal->removed);
  return S_OK;
}

HRESULT ContentEditor::FindReferencesVisit(const WString& location, const NodeRef& node, void* context) {
  auto* search = static_cast<ReferenceRemoval*>(context);
  VisitTarget target;
  if (!search || !search->removed || !TargetOf(location, node, search, &target)) return S_OK;
  return FindEntries(target.playlistPath, target.playlist.Get(), target.item.Get(), target.folder, search->removed,
                     nullptr);
}

HRESULT ContentEditor::PutBackEntries(const WString& location, const std::vector<PlaylistEntry>& entries,
                                      const ComPtr<IWMDMStorage>& track) {
  HRESULT result = S_OK;
  // The entries of one playlist are together and in the order they had.
  for (auto first = entries.begin(); first != entries.end();) {
    const auto end = PlaylistEnd(first, entries.end());
    const WString& playlistPath = first->playlistPath;
    NodeRef node = resolver_.ResolveStorage(location, playlistPath, 0);
    const ComPtr<IWMDMStorage> playlist = node ? node->storage : ComPtr<IWMDMStorage>();
    std::vector<ComPtr<IWMDMStorage>> references;
    HRESULT hr = playlist ? ReadReferences(playlist.Get(), &references) : IPP_E_NOTFOUND;
    // An entry left out moves the later ones' places up by one.
    LONG leftOut = 0;
    for (auto entry = first; SUCCEEDED(hr) && entry != end; ++entry) {
      const ComPtr<IWMDMStorage>& named = track ? track : entry->track;
      if (!IsAlive(named.Get())) {
        ++leftOut;
        continue;
      }
      const size_t at = std::min(static_cast<size_t>(std::max<LONG>(entry->index - leftOut, 0)), references.size());
      references.insert(references.begin() + static_cast<std::ptrdiff_t>(at), named);
    }
    const bool changed = leftOut < end - first;
    if (SUCCEEDED(hr) && changed) hr = WriteReferences(playlist.Get(), references);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    if (SUCCEEDED(hr) && changed) NotifyChange(location, playlistPath, ContentChange::PlaylistChanged);
    first = end;
  }
  return result;
}

HRESULT ContentEditor::KeepRenamedEntries(const WString& location, const std::vector<PlaylistEntry>& entries,
                                          const WString& oldPath, const WString& newPath) {
  std::vector<PlaylistEntry> lost;
  HRESULT result = S_OK;
  for (auto first = entries.begin(); first != entries.end();) {
    const auto end = PlaylistEnd(first, entries.end());
    NodeRef node = resolver_.ResolveStorage(location, first->playlistPath, 0);
    std::vector<ComPtr<IWMDMStorage>> references;
    // A playlist that cannot be read cannot be checked; nothing is added to
    // it blindly, which could name a track twice.
    if (!node || !node->storage || FAILED(ReadReferences(node->storage.Get(), &references))) {
      first = end;
      continue;
    }
    std::vector<WString> present;
    for (const auto& reference : references) present.push_back(PathOrNothing(reference.Get()));
    for (auto entry = first; entry != end; ++entry) {
      if (entry->trackPath.compare(0, oldPath.size(), oldPath) != 0) continue;
      const WString path = newPath + entry->trackPath.substr(oldPath.size());
      auto named = std::find(present.begin(), present.end(), path);
      if (named != present.end()) {
        named->clear();  // each entry found once
        continue;
      }
      NodeRef track = resolver_.ResolveStorage(location, path, 0);
      if (!track || !track->storage) result = IPP_E_NOTFOUND;
      lost.push_back(PlaylistEntry{entry->playlistPath, entry->index, track ? track->storage : nullptr, path});
    }
    first = end;
  }
  const HRESULT putBack = PutBackEntries(location, lost);
  return FAILED(result) ? result : putBack;
}
