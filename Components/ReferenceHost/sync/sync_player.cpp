#include "sync/sync_player.h"

#include <algorithm>

#include <ipp_result_codes.h>
#include <result_macros.h>

#include "mdhost/item_report.h"
#include "mdhost/play_times.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kPlaylist = 3;

HRESULT Walk(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& folder, size_t prefix,
             PlayerTree* tree) {
  std::vector<ItemReport> children;
  const HRESULT hr = ListItems(plugin, location, folder, &children);
  if (FAILED(hr)) return hr;
  for (const ItemReport& child : children) {
    std::string relative = child.location.substr(std::min(prefix, child.location.size()));
    for (char& c : relative)
      if (c == '\\') c = '/';
    PlayerItem& item = tree->items[relative];
    item.kind = child.kind;
    item.size = child.size;
    const WString path = wide::FromUtf8(child.location);
    if (child.kind == kFolder) RETURN_IF_FAILED(Walk(plugin, location, path, prefix, tree));
    if (child.kind != kPlaylist) continue;
    std::vector<ItemReport> entries;
    ListItems(plugin, location, path, &entries);
    for (const ItemReport& entry : entries) item.entries.push_back(TrackOf(wide::FromUtf8(entry.location)));
  }
  return S_OK;
}

}  // namespace

WString PlayerPath(const WString& target, const std::string& relative) {
  WString path = target;
  if (path.empty() || path.back() != W('\\')) path += W('\\');
  for (WCHAR unit : wide::FromUtf8(relative)) path += unit == W('/') ? W('\\') : unit;
  return path;
}

HRESULT ReadPlayerTree(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& target,
                       PlayerTree* tree) {
  *tree = PlayerTree();
  const WString listed = target == W("\\") ? WString() : target;
  const HRESULT hr = Walk(plugin, location, listed, wide::ToUtf8(PlayerPath(target, "")).size(), tree);
  tree->exists = hr != IPP_E_NOTFOUND;
  return hr == IPP_E_NOTFOUND ? S_OK : hr;
}
