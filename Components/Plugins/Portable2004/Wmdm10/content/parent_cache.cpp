#include "content/parent_cache.h"

#include <leak_annotations.h>

void ParentCache::Drop() {
  device.Reset();
  deviceNumber = 0;
  parent.Reset();
  location.clear();
  parentPath.clear();
}

ParentCache& ModuleParentCache() {
  // Never destroyed: releasing WMDM interfaces while the module unloads
  // would call into a COM runtime that may already be gone. Shutdown drops
  // its contents.
  static ParentCache* cache = [] {
    auto* kept = new ParentCache();
    MD_ANNOTATE_KEPT_ALIVE(kept);
    return kept;
  }();
  return *cache;
}
