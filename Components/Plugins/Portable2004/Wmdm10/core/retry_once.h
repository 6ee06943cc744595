// One more attempt when WMDM answers 0x80045001 (interface dead): the node
// the attempt worked on was cached before the device's objects were
// replaced, so it is forgotten and the attempt runs again on a fresh lookup.
#pragma once

#include <windows.h>

#include <mswmdm.h>

#include "content/storage_node.h"
#include "core/kc_wmdm10_plugin.h"

// Runs `attempt` (HRESULT()), and once more after `forget` (void()) when it
// answered interface dead. `retried` is the operation's flag, one for the
// whole module and touched only under the plug-in lock: set while the second
// attempt runs, so that the operation reached again from inside it does not
// retry in turn, and cleared however the call ends.
template <typename Attempt, typename Forget>
HRESULT RetryOnceIfDead(bool& retried, Attempt attempt, Forget forget) {
  struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
  } clear{retried};
  for (;;) {
    const HRESULT hr = attempt();
    if (hr != WMDM_E_INTERFACEDEAD || retried) return hr;
    forget();
    retried = true;
  }
}

// The usual shape: `attempt` (HRESULT(StorageNode**)) resolves the node it
// acts on and hands it out; that node is the one forgotten.
template <typename Attempt>
HRESULT WithOneRetry(kcWMDM10Plugin& plugin, bool& retried, Attempt attempt) {
  StorageNode* node = nullptr;
  return RetryOnceIfDead(
      retried,
      [&]() -> HRESULT {
        node = nullptr;
        return attempt(&node);
      },
      [&] { plugin.DropNode(node); });
}
