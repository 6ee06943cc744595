#include "convert/conversion_cache.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kUnfinished[] = ".part";

unsigned long long Fnv(const std::string& text, unsigned long long hash = 1469598103934665603ull) {
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string KeyOf(const CacheSource& source, const EncodeSettings& settings) {
  std::ostringstream fields;
  fields << source.path << '\n' << source.size << '\n' << source.modified << '\n' << settings.Name();
  const std::string text = fields.str();
  // Two independent 64-bit hashes: a collision would hand out another track.
  std::ostringstream key;
  key << std::hex << Fnv(text) << '-' << Fnv(text, 0x84222325cbf29ce4ull ^ text.size());
  return key.str();
}

std::string Mp3Name(const std::string& path) { return fs::u8path(path).stem().u8string() + ".mp3"; }

// The bytes of an entry's files, and when the latest of them was used.
unsigned long long FolderBytes(const fs::path& folder, fs::file_time_type* used) {
  unsigned long long bytes = 0;
  std::error_code error;
  for (const auto& file : fs::directory_iterator(folder, error)) {
    if (!file.is_regular_file(error)) continue;
    bytes += file.file_size(error);
    *used = std::max(*used, file.last_write_time(error));
  }
  return bytes;
}

std::string UnfinishedName(const std::string& key) {
  std::ostringstream name;
  name << key << kUnfinished << '-' << std::hash<std::thread::id>()(std::this_thread::get_id()) << '-'
       << std::chrono::steady_clock::now().time_since_epoch().count();
  return name.str();
}

}  // namespace

ConversionCache::ConversionCache(std::string root, unsigned long long limit, Converter convert)
    : root_(std::move(root)), limit_(limit), convert_(std::move(convert)) {}

std::string ConversionCache::DefaultRoot() {
  fs::path base;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) base = fs::u8path(cache);
  else if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) base = fs::u8path(local);
  else base = fs::u8path(std::getenv("HOME") ? std::getenv("HOME") : ".") / ".cache";
  return (base / "mdhost" / "mp3").u8string();
}

std::string ConversionCache::PathFor(const CacheSource& source, const EncodeSettings& settings) const {
  return (fs::u8path(root_) / KeyOf(source, settings) / Mp3Name(source.path)).u8string();
}

bool ConversionCache::Has(const CacheSource& source, const EncodeSettings& settings) const {
  const fs::path mp3 = fs::u8path(PathFor(source, settings));
  std::error_code error;
  if (!fs::is_regular_file(mp3, error)) return false;
  // The MP3's own time says when it was last used (a folder's time cannot
  // be set everywhere).
  fs::last_write_time(mp3, fs::file_time_type::clock::now(), error);
  return true;
}

ConversionResult ConversionCache::Make(const CacheSource& source, const EncodeSettings& settings,
                                       const std::atomic<bool>& stop) const {
  const fs::path entry = fs::u8path(root_) / KeyOf(source, settings);
  const fs::path unfinished = fs::u8path(root_) / UnfinishedName(entry.filename().u8string());
  std::error_code error;
  fs::create_directories(unfinished, error);
  if (error) return {false, false, "cannot make the cache folder " + unfinished.u8string() + " (" + error.message() + ")"};
  ConversionResult result = convert_(source.path, (unfinished / Mp3Name(source.path)).u8string(), settings, stop);
  if (result.ok) {
    fs::rename(unfinished, entry, error);
    // Another run converted the same track meanwhile: its copy is as good.
    if (error && fs::is_regular_file(entry / Mp3Name(source.path))) error.clear();
    if (error) result = {false, false, "cannot keep the MP3 in " + entry.u8string() + " (" + error.message() + ")"};
  }
  std::error_code ignored;
  fs::remove_all(unfinished, ignored);
  return result;
}

void ConversionCache::Trim(const std::set<std::string>& keep) const {
  struct Entry {
    fs::path folder;
    fs::file_time_type used;
    unsigned long long bytes;
  };
  std::vector<Entry> entries;
  unsigned long long total = 0;
  std::error_code error;
  const auto day_ago = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (const auto& item : fs::directory_iterator(fs::u8path(root_), error)) {
    if (!item.is_directory(error)) continue;
    const fs::file_time_type used = item.last_write_time(error);
    if (item.path().filename().u8string().find(kUnfinished) != std::string::npos) {
      // Another run's conversion in hand is left; a day old, it was killed.
      if (used < day_ago) fs::remove_all(item.path(), error);
      continue;
    }
    Entry entry{item.path(), fs::file_time_type::min(), 0};
    entry.bytes = FolderBytes(item.path(), &entry.used);
    entries.push_back(entry);
    total += entries.back().bytes;
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
  for (const Entry& entry : entries) {
    if (total <= limit_) break;
    const bool kept = std::any_of(keep.begin(), keep.end(), [&](const std::string& mp3) {
      return fs::u8path(mp3).parent_path() == entry.folder;
    });
    if (kept) continue;
    if (fs::remove_all(entry.folder, error) != static_cast<std::uintmax_t>(-1)) total -= entry.bytes;
  }
}

bool ConversionCache::Clean(std::string* problem) const {
  std::error_code error;
  fs::remove_all(fs::u8path(root_), error);
  if (error) *problem = root_ + ": " + error.message();
  return !error;
}
