// What NotifyChange tells the host. The host sees only which callback is
// called: an addition, a removal, or a playlist's new order.
#pragma once

enum class ContentChange : int {
  Added = 1,          // a renamed item under its new path; a transferred file
  RenamedAway = 2,    // a renamed item under its old path
  FolderCreated = 3,
  Removed = 4,        // no operation sends it; the host hears a removal
  PlaylistCreated = 5,
  RemovedOther = 6,   // no operation sends it; the host hears a removal
  PlaylistChanged = 7,
};
