#include "media/find_state.h"

#include <objbase.h>

FindState::~FindState() { AdoptItems(nullptr, 0); }

void FindState::AdoptItems(IWMDMStorage** block, DWORD count) {
  IWMDMStorage** old = items;
  const DWORD oldCount = itemCount;
  items = block;
  itemCount = block ? count : 0;
  position = 0;
  if (!old) return;
  for (DWORD i = 0; i < oldCount; ++i)
    if (old[i]) old[i]->Release();
  CoTaskMemFree(old);
}
