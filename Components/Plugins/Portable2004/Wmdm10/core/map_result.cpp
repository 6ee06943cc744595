#include "core/map_result.h"

#include <mswmdm.h>

#include "host_sdk/ipp_result_codes.h"

namespace {

constexpr DWORD kErrorDeviceNotConnected = 1167;

constexpr HRESULT FromWin32(DWORD error) { return static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu)); }

struct Mapping {
  HRESULT platform;
  HRESULT host;
};

const Mapping kMappings[] = {
    {S_OK, IPP_S_OK},
    {S_FALSE, IPP_S_FALSE},
    {IPP_S_BUSY, IPP_S_BUSY},
    {E_NOTIMPL, IPP_E_NOTSUPPORTED},
    {WMDM_E_NOTSUPPORTED, IPP_E_NOTSUPPORTED},
    {E_PENDING, IPP_S_BUSY},
    {RPC_E_CANTCALLOUT_ININPUTSYNCCALL, IPP_S_BUSY},
    {WMDM_E_BUSY, IPP_S_BUSY},
    {WMDM_E_INTERFACEDEAD, IPP_E_CANCELLED},
    // An MTP device's words for a dead interface answer as it does.
    {MTP_E_INVALID_OBJECT_HANDLE, IPP_E_CANCELLED},
    {MTP_E_STALE_OBJECT_REFERENCE, IPP_E_CANCELLED},
    {MTP_E_STORE_NOT_AVAILABLE, IPP_E_NOTFOUND},
    {MTP_E_INVALID_OBJECT_FORMAT_CODE, IPP_E_NOTSUPPORTED},
    {WMDM_E_NOTCERTIFIED, IPP_E_UNKNOWNPROPERTY},
    {WMDM_E_NORIGHTS, IPP_E_UNKNOWNPROPERTY},
    {WMDM_E_LICENSE_NOTEXIST, IPP_E_UNKNOWNPROPERTY},
    {WMDM_E_LICENSE_EXPIRED, IPP_E_UNKNOWNPROPERTY},
    // The user's own cancel is no failure to report.
    {WMDM_E_USER_CANCELLED, IPP_S_OK},
    // A medium taken out (a card pulled, its FUSE process gone) answers as
    // an MTP store that is not available: the medium is not there.
    {FromWin32(kErrorDeviceNotConnected), IPP_E_NOTFOUND},
    {FromWin32(ERROR_NOT_READY), IPP_E_NOTFOUND},
    {FromWin32(ERROR_FILE_NOT_FOUND), IPP_E_NOTFOUND},
    {FromWin32(ERROR_PATH_NOT_FOUND), IPP_E_NOTFOUND},
    {FromWin32(ERROR_NOT_FOUND), IPP_E_NOTFOUND},
    {FromWin32(ERROR_HANDLE_DISK_FULL), IPP_E_DISKFULL},
    {FromWin32(ERROR_DISK_FULL), IPP_E_DISKFULL},
    {FromWin32(ERROR_FILE_EXISTS), IPP_E_ALREADYEXISTS},
    {FromWin32(ERROR_ALREADY_EXISTS), IPP_E_ALREADYEXISTS},
    {FromWin32(ERROR_CANNOT_MAKE), IPP_E_CANNOTCREATE},
};

// The host's own failure codes that pass through unchanged: from
// IPP_E_NOTSUPPORTED up to the code just below IPP_E_CANCELLED.
constexpr DWORD kFirstHostCode = static_cast<DWORD>(IPP_E_NOTSUPPORTED);
constexpr DWORD kLastHostCode = 0x80040018u;

}  // namespace

HRESULT MapResult(HRESULT platformResult) {
  for (const Mapping& mapping : kMappings)
    if (mapping.platform == platformResult) return mapping.host;
  const DWORD code = static_cast<DWORD>(platformResult);
  if (code >= kFirstHostCode && code <= kLastHostCode) return platformResult;
  return IPP_E_FAIL;
}
