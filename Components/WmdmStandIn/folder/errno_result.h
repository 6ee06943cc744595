// What a failed file-system call means to a WMDM client.
#pragma once

#include <windows.h>

namespace wmdm_standin {

// The medium is no longer there (a card pulled out, its FUSE process gone).
// HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED).
inline const HRESULT kMediumGone = HRESULT_FROM_WIN32(1167);
// The medium is mounted read-only: HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT).
inline const HRESULT kMediumReadOnly = HRESULT_FROM_WIN32(19);

// The HRESULT a device would answer for the C library's `error`.
HRESULT FromErrno(int error);

}  // namespace wmdm_standin
