// What a failed file-system call means to a WMDM client.
#pragma once

#include <windows.h>

namespace wmdm_standin {

// The HRESULT a device would answer for the C library's `error`.
HRESULT FromErrno(int error);

}  // namespace wmdm_standin
