// Giving a file or folder its name without ever taking another's place, on
// every file system a player's medium carries: where the kernel's no-replace
// rename is refused (FUSE mounts such as exfat-fuse and ntfs-3g answer
// EINVAL) and hard links are too (FAT, exFAT), the name is checked and given
// by a plain rename while the folder is locked against the other players of
// this machine.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace wmdm_standin {

// Renames `from` to `to` (both on one file system) unless `to` names another
// file or folder: then HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) and nothing
// changes. A change of case only, in the same folder, is the item's own
// rename where the file system ignores case.
HRESULT RenameWithoutReplacing(const std::string& from, const std::string& to);

// What one file system answered to the kernel's no-replace rename, kept by
// whoever renames on it again and again (a player's medium): once refused,
// later renames take the checked path at once instead of asking again (on a
// FUSE mount each ask is a round trip to its process).
struct NoReplaceMemo {
  std::atomic<bool> refused{false};
};
HRESULT RenameWithoutReplacing(const std::string& from, const std::string& to, NoReplaceMemo* memo);

// Takes the checked path even where the no-replace rename works, so that a
// test on any file system walks the path FUSE mounts take.
void UseCheckedRenameForTesting(bool checked);

// Calls `hook` with the step reached ("checked": the name was found free
// under the lock, "named": the rename is done) on the path without the
// no-replace rename; tests end a process there to play a crash. "refused":
// the file system has just refused the no-replace rename.
void SetRenameStepHookForTesting(void (*hook)(const char* step));

}  // namespace wmdm_standin
