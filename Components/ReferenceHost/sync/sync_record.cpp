#include "sync/sync_record.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

fs::path StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && *state) return fs::u8path(state);
  const char* local = std::getenv("LOCALAPPDATA");
  if (local && *local) return fs::u8path(local);
  const char* home = std::getenv("HOME");
  return fs::u8path(home ? home : ".") / ".local" / "state";
}

// FNV-1a over the UTF-16 units: a stable file name for a medium and folder.
std::string NameFor(const WString& location, const WString& target) {
  unsigned long long hash = 1469598103934665603ull;
  for (const WString* text : {&location, &target}) {
    for (WCHAR unit : *text) hash = (hash ^ unit) * 1099511628211ull;
    hash = (hash ^ 0xFFFF) * 1099511628211ull;
  }
  std::ostringstream name;
  name << std::hex << hash << ".tsv";
  return name.str();
}

}  // namespace

SyncRecord::SyncRecord(const WString& medium, const WString& target, const WString& formerMedium)
    : file_((StateFolder() / "mdhost" / "sync" / NameFor(medium, target)).u8string()),
      former_(formerMedium.empty() || formerMedium == medium
                  ? std::string()
                  : (StateFolder() / "mdhost" / "sync" / NameFor(formerMedium, target)).u8string()) {}

bool SyncRecord::Load() {
  entries.clear();
  std::error_code error;
  std::string read = file_;
  if (!fs::exists(fs::u8path(read), error)) read = former_;
  if (read.empty() || !fs::exists(fs::u8path(read), error)) return true;
  std::ifstream in(fs::u8path(read), std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    // relative path, source size, source time, player size; tab-separated
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::istringstream numbers(line.substr(tab + 1));
    SyncRecordEntry entry;
    if (numbers >> entry.sourceSize >> entry.sourceModified >> entry.playerSize) entries[line.substr(0, tab)] = entry;
  }
  return true;
}

bool SyncRecord::Save() const {
  std::error_code error;
  const fs::path path = fs::u8path(file_);
  fs::create_directories(path.parent_path(), error);
  const fs::path written = fs::u8path(file_ + ".new");
  {
    std::ofstream out(written, std::ios::binary | std::ios::trunc);
    for (const auto& [relative, entry] : entries)
      out << relative << '\t' << entry.sourceSize << '\t' << entry.sourceModified << '\t' << entry.playerSize << '\n';
    if (!out.flush()) return false;
  }
  fs::rename(written, path, error);
  return !error;
}
