// One more attempt when WMDM answers 0x80045001 (interface dead), an MTP
// device its two words for the same (an invalid object handle, a stale
// object reference), or a provider "file/path not found": what the attempt
// worked on was cached before the device's objects were replaced, so it is
// forgotten and the attempt runs again on a fresh lookup.
//
// Each operation has one flag for the whole module, as the platform's
// dead-interface answer is module-wide; they live here with the one routine
// that sets and clears them, and are touched only under the plug-in lock.
#pragma once

#include <windows.h>

#include <mswmdm.h>

// An object the plug-in holds that the device no longer knows by it.
inline bool IsStaleObject(HRESULT hr) {
  return hr == WMDM_E_INTERFACEDEAD || hr == MTP_E_INVALID_OBJECT_HANDLE || hr == MTP_E_STALE_OBJECT_REFERENCE;
}

// What a provider that answers storage errors with Win32 codes, as providers
// are told to, says of an object removed or renamed behind a cached one: it
// may be there again under a fresh lookup, so it is retried like a stale one.
inline bool IsMissingObject(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

enum class RetriedOperation {
  FindFirstItem,
  DownloadFile,
  DeleteItem,
  RenameItem,
  CreateFolder,
  CreatePlaylist,
  UpdatePlaylist,
  Erase,
  Format,
  MediaPropertyBool,
  MediaPropertyLong,
  MediaPropertyString,
};

// The operation's flag: set while its second attempt runs, so that the
// operation reached again from inside it does not retry in turn.
bool& RetryFlag(RetriedOperation operation);

// Runs `attempt` (HRESULT()), and once more after `forget` (void()) when it
// answered a stale or missing object and the operation is not on its retry
// already; a missing object still missing then is "not found".
// A stale answer is forgotten even when it is the last: the next call then
// starts from a fresh lookup instead of spending its retry on what is known dead.
// The flag is cleared however the call ends, so every call has its retry.
template <typename Attempt, typename Forget>
HRESULT RetryOnceIfDead(RetriedOperation operation, Attempt attempt, Forget forget) {
  bool& retried = RetryFlag(operation);
  struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
  } clear{retried};
  for (;;) {
    const HRESULT hr = attempt();
    if (!IsStaleObject(hr) && !IsMissingObject(hr)) return hr;
    forget();
    if (retried) return hr;
    retried = true;
  }
}
