// What mdhost sync remembers of the files it sent into one folder of one
// medium: each file's size and modification time on the computer when it
// was sent, and the size the player's copy had then (the player writes the
// tags into its copy, so the copy's size is not the source's). A file counts
// as changed when either side no longer matches. The record is the host's
// own, kept outside the player like a library's database:
// $XDG_STATE_HOME/mdhost/sync (~/.local/state/mdhost/sync; on Windows
// %LOCALAPPDATA%\mdhost\sync), one file per medium and folder.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include <wide_text.h>

struct SyncRecordEntry {
  ULONGLONG sourceSize = 0;
  long long sourceModified = 0;
  ULONGLONG playerSize = 0;
};

class SyncRecord {
 public:
  // The record of folder `target` on the medium at `location`.
  SyncRecord(const WString& location, const WString& target);

  // An absent record is an empty one; false only for one that cannot be read.
  bool Load();
  bool Save() const;
  const std::string& File() const { return file_; }

  std::map<std::string, SyncRecordEntry> entries;  // by path relative to the folder

 private:
  std::string file_;
};
