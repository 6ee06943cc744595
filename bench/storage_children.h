// The children of a storage, one Next at a time, as a WMDM client walks them;
// the benches ask each child their own questions beside the plug-in's.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <cstddef>

// Calls `visit` with each child; counts the children it answers true for.
template <typename Visit>
size_t CountChildren(IWMDMStorage* storage, Visit visit) {
  ComPtr<IWMDMEnumStorage> children;
  if (FAILED(storage->EnumStorage(&children)) || !children) return 0;
  size_t count = 0;
  for (;;) {
    ComPtr<IWMDMStorage> child;
    ULONG fetched = 0;
    if (children->Next(1, &child, &fetched) != S_OK || fetched != 1) break;
    if (visit(child)) ++count;
  }
  return count;
}
