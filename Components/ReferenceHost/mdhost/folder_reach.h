// Whether the folder of a folder player can still be reached. A card pulled
// out leaves its mount point answering ENOTCONN (FUSE) or EIO, ENODEV or
// ENXIO (a kernel file system), or takes the mount point with it; the
// player's own answers to a send may still read as a full medium or a write
// fault, and the listings it keeps in memory still answer.
#pragma once

#include <string>

// Why the folder is unreachable, in words ("Transport endpoint is not
// connected"); empty while it is there.
std::string FolderGone(const std::string& folder);
