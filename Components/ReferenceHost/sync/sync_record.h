// What mdhost sync remembers of the files it sent into one folder of one
// medium: each file's size and modification time on the computer when it
// was sent, and the size the player's copy had then (the player writes the
// tags into its copy, so the copy's size is not the source's). A file counts
// as changed when either side no longer matches. The record is the host's
// own, kept outside the player like a library's database:
// $XDG_STATE_HOME/mdhost/sync (~/.local/state/mdhost/sync; on Windows
// %LOCALAPPDATA%\mdhost\sync), one file per medium and folder. A medium is
// named by its volume where that is known, so that a card mounted at another
// folder (a folder player's location is its path) is still the same card.
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
  // The record of folder `target` on `medium` (its volume, else its media
  // location). `formerMedium`, when given, names the medium as records
  // were keyed before, read while the medium has none of its own.
  SyncRecord(const WString& medium, const WString& target, const WString& formerMedium = WString());

  // An absent record is an empty one; false only for one that cannot be read.
  bool Load();
  bool Save() const;
  const std::string& File() const { return file_; }

  std::map<std::string, SyncRecordEntry> entries;  // by path relative to the folder

 private:
  std::string file_;
  std::string former_;
};
