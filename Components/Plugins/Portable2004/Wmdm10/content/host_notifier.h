// The host's change callbacks, made from the device's own answers: which
// item changed, the folders above it, and for a playlist its entries now.
// Call under the plug-in lock.
#pragma once

#include <windows.h>

#include <vector>

#include <wide_text.h>

#include "content/content_change.h"
#include "content/node_ref.h"
#include "content/storage_resolver.h"
#include "core/host_link.h"

class HostNotifier {
 public:
  HostNotifier(const HostLink& link, StorageResolver& resolver) : link_(link), resolver_(resolver) {}
  HostNotifier(const HostNotifier&) = delete;
  HostNotifier& operator=(const HostNotifier&) = delete;

  // Tells the host that the item at device path `path` was added, removed or
  // (a playlist) changed; nothing when there is no callback or the item
  // does not resolve.
  void NotifyChange(const WString& location, const WString& path, ContentChange code);
  // The host paths of every folder above the item at `path` (kind 1 each),
  // then, unless `skipSelf`, the item itself with its kind. IPP_E_NOTFOUND
  // when the item was asked for and does not resolve.
  HRESULT CollectChangedFolders(const WString& location, const WString& path, std::vector<WString>* paths,
                                std::vector<LONG>* kinds, bool skipSelf);
  // Tells the host that the item of `node`, at device path `path`, is gone.
  void ReportRemoval(const WString& location, const WString& path, const NodeRef& node);

 private:
  const HostLink& link_;
  StorageResolver& resolver_;
};
