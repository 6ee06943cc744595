#include "core/map_result.h"

#include "host_sdk/ipp_result_codes.h"

HRESULT MapResult(HRESULT platformResult) {
  const DWORD code = static_cast<DWORD>(platformResult);
  switch (code) {
    case 0x00000000u:
    case 0x00000001u:
    case 0x00040001u:
      return platformResult;
    case 0x80004001u:  // E_NOTIMPL
    case 0x80045004u:  // WMDM_E_NOTSUPPORTED
      return IPP_E_NOTSUPPORTED;
    case 0x8000000Au:  // E_PENDING
    case 0x8001010Du:  // RPC_E_CANTCALLOUT_ININPUTSYNCCALL
    case 0x80045000u:  // WMDM_E_BUSY
      return IPP_S_BUSY;
    case 0x80045001u:  // WMDM_E_INTERFACEDEAD
      return IPP_E_CANCELLED;
    case 0x80045005u:  // WMDM_E_NOTCERTIFIED
    case 0x80045006u:  // WMDM_E_NORIGHTS
    case 0x8004500Fu:  // WMDM_E_LICENSE_NOTEXIST
    case 0x80045012u:  // WMDM_E_LICENSE_EXPIRED
      return IPP_E_UNKNOWNPROPERTY;
    case 0x8004500Bu:  // WMDM_E_USER_CANCELLED
      return IPP_S_OK;
    case 0x80070002u:  // ERROR_FILE_NOT_FOUND
    case 0x80070003u:  // ERROR_PATH_NOT_FOUND
    case 0x80070490u:  // ERROR_NOT_FOUND
      return IPP_E_NOTFOUND;
    case 0x80070027u:  // ERROR_HANDLE_DISK_FULL
    case 0x80070070u:  // ERROR_DISK_FULL
      return IPP_E_DISKFULL;
    case 0x80070050u:  // ERROR_FILE_EXISTS
    case 0x800700B7u:  // ERROR_ALREADY_EXISTS
      return IPP_E_ALREADYEXISTS;
    case 0x80070052u:  // ERROR_CANNOT_MAKE
      return IPP_E_CANNOTCREATE;
    default:
      break;
  }
  // The host's own codes pass through unchanged.
  if (code >= 0x80040010u && code <= 0x80040018u) return platformResult;
  return IPP_E_FAIL;
}
