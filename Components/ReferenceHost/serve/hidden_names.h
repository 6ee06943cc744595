// Names that would make an item vanish from the player's listings: the
// plug-in lists a file only by an extension the player plays, and a folder
// player hides a name starting with ".". An edit that gave such a name would
// answer success and leave an item no view can reach again, so it is
// refused before the plug-in is called.
#pragma once

#include <string>

// Why a new folder or playlist named `name` would not be listed; empty when
// it would.
std::string HiddenNameProblem(const std::string& name);

// Why renaming the item `oldName` (a folder when `folder`) to `newName` would
// hide it; empty when it stays listed. A file keeps its extension: the
// player shows files by it, and a changed one would misname the format.
std::string RenameHidingProblem(bool folder, const std::string& oldName, const std::string& newName);
