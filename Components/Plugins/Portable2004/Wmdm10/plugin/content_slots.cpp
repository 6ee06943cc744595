// The slots of items and content: each is the door and one call into the
// item listings or the content editor.
#include <memory>

#include "core/host_boundary.h"
#include "host_sdk/ipp_result_codes.h"
#include "plugin/kc_wmdm10_plugin.h"

HRESULT kcWMDM10Plugin::FindFirstItem(const WCHAR* location, const WCHAR* hostPath, kiIPPItem* item,
                                      IPPFINDHANDLE* find) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    if (!location || !hostPath || !item || !find) return IPP_E_FAIL;
    WriteLog(W("WMDM10::FindFirstItem called"));
    *find = nullptr;
    return listings_.Open(location, hostPath, item, find);
  });
}

HRESULT kcWMDM10Plugin::FindNextItem(IPPFINDHANDLE find, kiIPPItem* item) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    FindState* state = FindState::FromHandle(find);
    if (!state || !item) return IPP_E_FAIL;
    WriteLog(W("WMDM10::FindNextItem called"));
    return listings_.Next(*state, item);
  });
}

HRESULT kcWMDM10Plugin::FindItemClose(IPPFINDHANDLE find) {
  // Always 0, whatever the door would make of it.
  RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    // Owned before anything can fail, so that the handle goes even when its log line cannot be had.
    const std::unique_ptr<FindState> closing = ItemListings::Take(find);
    WriteLog(W("WMDM10::FindItemClose called"));
    return S_OK;
  });
  return S_OK;
}

HRESULT kcWMDM10Plugin::GetItemInformation(const WCHAR* location, const WCHAR* id, kiIPPItem* item) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    if (!location || !id || !item) return IPP_E_FAIL;
    return listings_.Describe(location, id, item);
  });
}

HRESULT kcWMDM10Plugin::RenameItem(const WCHAR* location, const WCHAR* path, const WCHAR* newName) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    if (!location || !path || !newName) return IPP_E_FAIL;
    return content_.RenameItem(location, path, newName);
  });
}

HRESULT kcWMDM10Plugin::CreatePlaylist(const WCHAR* location, const WCHAR* folderPath, const WCHAR* name,
                                       BSTR* newPath) {
  return RunLockedHostSlot(lock_, link_, [&] { return content_.CreatePlaylist(location, folderPath, name, newPath); });
}

HRESULT kcWMDM10Plugin::UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath, kiItemIdList* entries) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    if (!location || !playlistPath || !entries) return IPP_E_FAIL;
    return content_.UpdatePlaylist(location, playlistPath, entries);
  });
}

HRESULT kcWMDM10Plugin::CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,
                                     BSTR* newPath) {
  return RunLockedHostSlot(lock_, link_, [&] { return content_.CreateFolder(location, parentPath, name, newPath); });
}

HRESULT kcWMDM10Plugin::DownloadFile(const WCHAR* location, const WCHAR* targetPath, const WCHAR* sourcePath,
                                     kiIPPItem* item, DWORD existingFileMode, DWORD cookie, DWORD* outcome) {
  return RunLockedHostSlot(lock_, link_, [&] {
    return content_.DownloadFile(location, targetPath, sourcePath, item, existingFileMode, cookie, outcome);
  });
}

HRESULT kcWMDM10Plugin::DeleteItem(const WCHAR* location, const WCHAR* id) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    if (!location || !id) return IPP_E_FAIL;
    return content_.DeleteItem(location, id);
  });
}
