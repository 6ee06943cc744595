#include "mdhost/sync_player.h"

#include <algorithm>

#include <ipp_result_codes.h>
#include <result_macros.h>

#include "content/kc_ipp_item.h"
#include "mdhost/play_times.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kPlaylist = 3;

struct Listed {
  WString path;
  LONG kind;
  ULONGLONG size;
};

HRESULT ListFolder(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path,
                   std::vector<Listed>* items) {
  kcIPPItem record;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = plugin->FindFirstItem(location.c_str(), path.c_str(), &record, &find);
  const HRESULT first = hr;
  while (hr == S_OK) {
    BSTR at = record.GetLocation();
    items->push_back({at ? WString(at) : WString(), record.GetKind(), record.GetSize()});
    SysFreeString(at);
    record.Clear();
    hr = plugin->FindNextItem(find, &record);
  }
  if (find) plugin->FindItemClose(find);
  return FAILED(hr) ? hr : first;
}

HRESULT Walk(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& folder, size_t prefix,
             PlayerTree* tree) {
  std::vector<Listed> children;
  const HRESULT hr = ListFolder(plugin, location, folder, &children);
  if (FAILED(hr)) return hr;
  for (const Listed& child : children) {
    std::string relative = wide::ToUtf8(child.path.substr(std::min(prefix, child.path.size())));
    for (char& c : relative)
      if (c == '\\') c = '/';
    PlayerItem& item = tree->items[relative];
    item.kind = child.kind;
    item.size = child.size;
    if (child.kind == kFolder) RETURN_IF_FAILED(Walk(plugin, location, child.path, prefix, tree));
    if (child.kind != kPlaylist) continue;
    std::vector<Listed> entries;
    ListFolder(plugin, location, child.path, &entries);
    for (const Listed& entry : entries) item.entries.push_back(TrackOf(entry.path));
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
  const HRESULT hr = Walk(plugin, location, listed, PlayerPath(target, "").size(), tree);
  tree->exists = hr != IPP_E_NOTFOUND;
  return hr == IPP_E_NOTFOUND ? S_OK : hr;
}
