#include "content/tree_walk.h"

#include <unique_bstr.h>

#include "content/content_editor.h"
#include "content/kc_ipp_item.h"
#include "content/locations.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// Closes a listing however the walk leaves it, a failed allocation included.
class FindCloser {
 public:
  explicit FindCloser(ContentEditor& plugin) : plugin_(plugin) {}
  ~FindCloser() {
    if (handle_) plugin_.FindItemClose(handle_);
  }
  FindCloser(const FindCloser&) = delete;
  FindCloser& operator=(const FindCloser&) = delete;
  IPPFINDHANDLE* Out() { return &handle_; }
  IPPFINDHANDLE Get() const { return handle_; }

 private:
  ContentEditor& plugin_;
  IPPFINDHANDLE handle_ = nullptr;
};

// Lists the folder at `path` through the plug-in's own slots and walks every
// child. S_OK once the listing ran to its end; the first failure otherwise.
HRESULT WalkChildren(ContentEditor& plugin, const WString& location, const WString& path, WalkVisit visit,
                     void* context) {
  const WString hostPath = plugin.Resolver().ToHostPath(location, path);
  kcIPPItem child;
  FindCloser find(plugin);
  HRESULT listed = plugin.FindFirstItem(location.c_str(), hostPath.c_str(), &child, find.Out());
  HRESULT result = S_OK;
  while (listed == S_OK) {
    UniqueBstr childLocation;
    childLocation.Reset(child.GetLocation());
    const WString childPath = plugin.Resolver().ToDevicePath(location, childLocation.ToString());
    result = plugin.WalkTree(location, childPath, visit, context);
    if (FAILED(result)) break;
    child.Clear();
    listed = plugin.FindNextItem(find.Get(), &child);
  }
  if (FAILED(result)) return result;
  return FAILED(listed) ? listed : S_OK;
}

}  // namespace

HRESULT ContentEditor::WalkTree(const WString& location, const WString& path, WalkVisit visit, void* context) {
  NodeRef node = resolver_.ResolveStorage(location, path, RESOLVE_ITEM);
  if (!node || !node->item) return IPP_E_NOTFOUND;
  HRESULT result = S_OK;
  if (node->item->GetKind() == KindFolder && (visit || !node->walked)) {
    result = WalkChildren(*this, location, path, visit, context);
    // A listing that met a dead interface dropped the folder's node: the
    // handle tells, and only then is the folder found again.
    if (!node) node = resolver_.ResolveStorage(location, path, RESOLVE_ITEM);
    if (!node || !node->item) return FAILED(result) ? result : IPP_E_NOTFOUND;
  }
  if (FAILED(result)) {
    node->walked = true;
    return result;
  }
  if (visit) {
    const HRESULT visited = visit(location, node, context);
    return FAILED(visited) ? visited : S_OK;
  }
  node->walked = true;
  return S_OK;
}

// The medium's root is no item (the walk above refuses it), so its children
// are listed here and walked one by one.
HRESULT ContentEditor::WalkMedium(const WString& location, WalkVisit visit, void* context) {
  return WalkChildren(*this, location, WString(W("\\")), visit, context);
}
