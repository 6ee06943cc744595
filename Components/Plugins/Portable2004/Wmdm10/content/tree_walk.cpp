#include "content/tree_walk.h"

#include <result_macros.h>
#include <unique_bstr.h>

#include <vector>

#include "content/content_editor.h"
#include "content/kc_ipp_item.h"
#include "content/locations.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// The walk lists through the item listings themselves, not through the
// host's slots, so that what they answer is a platform result the caller's
// door maps once. Their enumerators ask a busy answer again and believe an
// end only when it is said twice (base/enumerator_next.h). Closes the
// listing however the walk leaves it.
class WalkListing {
 public:
  WalkListing(ContentEditor& plugin, const WString& location, const WString& path)
      : plugin_(plugin), location_(location), hostPath_(plugin.Resolver().ToHostPath(location, path)) {}
  WalkListing(const WalkListing&) = delete;
  WalkListing& operator=(const WalkListing&) = delete;

  // The first or next child (S_OK), or the end (S_FALSE); any other answer
  // stops the walk.
  HRESULT First(kcIPPItem* child) { return Checked(plugin_.Listings().Open(location_, hostPath_, child, find_.Put())); }
  HRESULT Next(kcIPPItem* child) {
    child->Clear();
    return Checked(plugin_.Listings().Next(*find_, child));
  }

 private:
  static HRESULT Checked(HRESULT hr) {
    // The platform's "cancelled by the user" ended a listing the host never
    // saw, and would reach the host as a success: the walk failed.
    if (hr == WMDM_E_USER_CANCELLED) return IPP_E_FAIL;
    if (SUCCEEDED(hr) && hr != S_OK && hr != S_FALSE) return IPP_E_FAIL;
    return hr;
  }

  // Owns the listing's state, as the host's close would take it back.
  class Handle {
   public:
    ~Handle() { ItemListings::Take(handle_); }
    IPPFINDHANDLE* Put() {
      ItemListings::Take(handle_);
      handle_ = nullptr;
      return &handle_;
    }
    FindState& operator*() const { return *FindState::FromHandle(handle_); }

   private:
    IPPFINDHANDLE handle_ = nullptr;
  };

  ContentEditor& plugin_;
  const WString& location_;
  const WString hostPath_;
  Handle find_;
};

// The device path of a listed child, empty unless it lies directly in the
// folder at `path`: a child without a location, or one elsewhere, would send
// the walk where the host never looked.
WString ChildPathIn(ContentEditor& plugin, const WString& location, const WString& path, kcIPPItem& child) {
  UniqueBstr childLocation;
  childLocation.Reset(child.GetLocation());
  if (childLocation.ToString().empty()) return WString();
  StorageResolver& resolver = plugin.Resolver();
  WString childPath = resolver.ToDevicePath(location, childLocation.ToString());
  // Under an alternate root the medium's "\" is listed as the root folder,
  // so children are compared with the folder the listing really read.
  const WString listed = resolver.ToDevicePath(location, resolver.ToHostPath(location, path));
  const std::vector<WString> names = locations::PathComponents(childPath);
  if (names.empty() || locations::PathComponents(locations::ParentPath(childPath)) != locations::PathComponents(listed))
    return WString();
  return childPath;
}

// Lists the folder at `path` and walks every child. S_OK only once the
// listing ran to its end; the first failure otherwise, and then nothing
// further is visited.
HRESULT WalkChildren(ContentEditor& plugin, const WString& location, const WString& path, WalkVisit visit,
                     void* context) {
  WalkListing listing(plugin, location, path);
  kcIPPItem child;
  for (HRESULT listed = listing.First(&child); listed != S_FALSE; listed = listing.Next(&child)) {
    if (listed != S_OK) return FAILED(listed) ? listed : IPP_E_FAIL;
    const WString childPath = ChildPathIn(plugin, location, path, child);
    if (childPath.empty()) return IPP_E_FAIL;
    RETURN_IF_FAILED(plugin.WalkTree(location, childPath, visit, context));
  }
  return S_OK;
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
  // A folder whose walk failed was not seen whole: it is listed again next
  // time rather than taken as walked.
  if (FAILED(result)) return result;
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
