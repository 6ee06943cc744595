#include "m3u8.h"

#include <cstdlib>
#include <cstring>

namespace wmdm_standin {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kInfo[] = "#EXTINF:";

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

std::string Trimmed(const std::string& line) {
  size_t begin = 0, end = line.size();
  while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
  while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) --end;
  return line.substr(begin, end - begin);
}

// "#EXTINF:123,Artist - Title" (attributes before the comma are passed over).
void ReadInfo(const std::string& line, M3u8Entry* entry) {
  const std::string rest = line.substr(std::strlen(kInfo));
  const size_t comma = rest.find(',');
  const std::string duration = rest.substr(0, comma);
  char* end = nullptr;
  const long long seconds = std::strtoll(duration.c_str(), &end, 10);
  entry->seconds = end != duration.c_str() && seconds >= 0 ? seconds : -1;
  entry->title = comma == std::string::npos ? std::string() : Trimmed(rest.substr(comma + 1));
}

}  // namespace

std::vector<M3u8Entry> ParseM3u8(const std::string& text) {
  std::vector<M3u8Entry> entries;
  size_t position = StartsWith(text, kBom) ? 3 : 0;
  M3u8Entry pending;
  while (position < text.size()) {
    size_t end = text.find_first_of("\r\n", position);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trimmed(text.substr(position, end - position));
    position = end + 1;
    if (line.empty()) continue;
    if (line[0] == '#') {
      if (StartsWith(line, kInfo)) ReadInfo(line, &pending);
      continue;
    }
    pending.path = line;
    entries.push_back(pending);
    pending = M3u8Entry();
  }
  return entries;
}

std::string WriteM3u8(const std::vector<M3u8Entry>& entries) {
  std::string text = "#EXTM3U\n";
  for (const M3u8Entry& entry : entries) {
    text += kInfo + std::to_string(entry.seconds < 0 ? -1 : entry.seconds) + "," + entry.title + "\n";
    text += entry.path + "\n";
  }
  return text;
}

}  // namespace wmdm_standin
