#include "errno_result.h"

#include <cerrno>

namespace wmdm_standin {

HRESULT FromErrno(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case EACCES:
    case EPERM: return E_ACCESSDENIED;
    case EROFS: return kMediumReadOnly;
    // A card pulled out: FUSE's process is gone (ENOTCONN), the device went
    // away under the kernel's driver (ENODEV, ENXIO) or reads fail (EIO).
    case ENOTCONN:
    case ENODEV:
    case ENXIO:
    case EIO: return kMediumGone;
    case EEXIST: return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    case ENOENT: return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case ENOTEMPTY: return HRESULT_FROM_WIN32(145);  // ERROR_DIR_NOT_EMPTY
    case ENAMETOOLONG: return HRESULT_FROM_WIN32(206);  // ERROR_FILENAME_EXCED_RANGE
    default: return HRESULT_FROM_WIN32(29);  // ERROR_WRITE_FAULT
  }
}

}  // namespace wmdm_standin
