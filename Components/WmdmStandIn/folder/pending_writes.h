// New files and folders a folder player made without waiting for the disk.
// A new name replaces nothing, so it need not be durable before it is given:
// the whole batch is made durable at once (one syncfs of each player's file
// system) before the client reports the work done, or when the player goes
// away. What replaces an existing file is made durable before the old one
// goes, and is never left to this.
#pragma once

#include <windows.h>

#include <string>

namespace wmdm_standin {

// Something new was written below the player folder `root`.
void NotePendingWrite(const std::string& root);

// Makes everything noted below `root` durable; S_OK, or the failure the
// file system reported for its writes.
HRESULT FlushPendingWrites(const std::string& root);

// The same for every player folder with something noted.
HRESULT FlushAllPendingWrites();

}  // namespace wmdm_standin
