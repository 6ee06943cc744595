#include "mdhost/folder_reach.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

// statvfs, not stat: the kernel answers stat of a FUSE mount's root from
// the attributes it cached for a second or so after the FUSE process died,
// while the file system's figures are asked of the process every time.
std::string FolderGone(const std::string& folder) {
  struct statvfs info = {};
  if (statvfs(folder.c_str(), &info) == 0) return std::string();
  const int error = errno;
  switch (error) {
    case ENOTCONN:
    case EIO:
    case ENODEV:
    case ENXIO:
    case ENOENT:
    case ENOTDIR:
      return std::strerror(error);
    default:
      return std::string();  // denied, say: not a sign of a card gone
  }
}
