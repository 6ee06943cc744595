#include "m3u8.h"

#include <cstdlib>
#include <cstring>

#include <wide_text.h>

namespace wmdm_standin {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kHeader[] = "#EXTM3U";
constexpr char kInfo[] = "#EXTINF:";

// Windows-1252's characters at 0x80..0x9F; the five it leaves undefined keep
// their Latin-1 control code.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

std::string Trimmed(const std::string& line) {
  size_t begin = 0, end = line.size();
  while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
  while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  return line.substr(begin, end - begin);
}

std::string FromWindows1252(const std::string& bytes) {
  WString text;
  for (unsigned char c : bytes) text += c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : static_cast<WCHAR>(c);
  return wide::ToUtf8(text);
}

bool ToWindows1252(const std::string& utf8, std::string* bytes) {
  bytes->clear();
  for (WCHAR c : wide::FromUtf8(utf8)) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      *bytes += static_cast<char>(c);
      continue;
    }
    size_t at = 0;
    while (at < 32 && kHighControls[at] != c) ++at;
    if (at == 32) return false;
    *bytes += static_cast<char>(0x80 + at);
  }
  return true;
}

// `utf8` in the text's own encoding; a Windows-1252 text that cannot hold it
// becomes UTF-8 first.
std::string Encoded(M3uText* text, const std::string& utf8) {
  if (!text->windows1252) return utf8;
  std::string bytes;
  if (ToWindows1252(utf8, &bytes)) return bytes;
  for (M3uPiece& piece : text->pieces) piece.bytes = FromWindows1252(piece.bytes);
  text->windows1252 = false;
  text->bom = kBom;
  return utf8;
}

// "#EXTINF:123,Artist - Title" (attributes before the comma are passed over).
void ReadInfo(const std::string& line, M3uPiece* entry) {
  const std::string rest = line.substr(std::strlen(kInfo));
  const size_t comma = rest.find(',');
  const std::string duration = rest.substr(0, comma);
  char* end = nullptr;
  const long long seconds = std::strtoll(duration.c_str(), &end, 10);
  entry->seconds = end != duration.c_str() && seconds >= 0 ? seconds : -1;
  entry->title = comma == std::string::npos ? std::string() : Trimmed(rest.substr(comma + 1));
}

// "#EXT" lines other than the file's own header describe the entry below them.
bool DescribesNextEntry(const std::string& line) {
  return StartsWith(line, "#EXT") && !StartsWith(line, kHeader) && !StartsWith(line, "#EXTENC");
}

std::string OneLine(const std::string& text) {
  std::string line = text;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c < 0x20 || c == 0x7F) line[i] = ' ';
    // U+0080..U+009F, the C1 controls (NEL among them).
    if (c == 0xC2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) < 0xA0 &&
        static_cast<unsigned char>(line[i + 1]) >= 0x80)
      line.replace(i, 2, " ");
  }
  return line;
}

}  // namespace

std::string M3uText::Bytes() const {
  std::string bytes = bom;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i].bytes;
    bytes += piece;
    const bool ended = !piece.empty() && (piece.back() == '\n' || piece.back() == '\r');
    if (!ended && i + 1 < pieces.size()) bytes += lineEnd;
  }
  return bytes;
}

M3uText ReadM3u(const std::string& bytes) {
  M3uText text;
  size_t position = 0;
  if (StartsWith(bytes, kBom)) {
    text.bom = kBom;
    position = 3;
  }
  WString ignored;
  size_t bad = 0;
  text.windows1252 = !wide::DecodeUtf8(bytes.substr(position), &ignored, &bad);
  M3uPiece pending;  // the "#EXT" lines waiting for their entry's location
  const auto keepPending = [&] {
    if (!pending.bytes.empty()) text.pieces.push_back(M3uPiece{pending.bytes});
    pending = M3uPiece();
  };
  bool first = true;
  while (position < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", position);
    size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end != std::string::npos && bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
    if (end == std::string::npos) end = bytes.size();
    if (first && end < next) text.lineEnd = bytes.substr(end, next - end);
    first = false;
    const std::string raw = bytes.substr(position, next - position);
    const std::string content = bytes.substr(position, end - position);
    const std::string line = Trimmed(text.windows1252 ? FromWindows1252(content) : content);
    position = next;
    if (DescribesNextEntry(line)) {
      pending.bytes += raw;
      if (StartsWith(line, kInfo)) ReadInfo(line, &pending);
    } else if (line.empty() || line[0] == '#') {
      keepPending();
      text.pieces.push_back(M3uPiece{raw});
    } else {
      pending.bytes += raw;
      pending.entry = true;
      pending.location = line;
      text.pieces.push_back(pending);
      pending = M3uPiece();
    }
  }
  keepPending();
  return text;
}

M3uPiece NewM3uEntry(M3uText* text, const std::string& location, const std::string& title, long long seconds) {
  M3uPiece entry;
  entry.entry = true;
  entry.location = location;
  entry.title = Trimmed(OneLine(title));
  const std::string info = kInfo + std::to_string(seconds < 0 ? -1 : seconds) + "," + entry.title;
  entry.seconds = seconds < 0 ? -1 : seconds;
  // Encoding the second line may turn the text to UTF-8: the first follows.
  std::string infoBytes = Encoded(text, info);
  const std::string locationBytes = Encoded(text, location);
  if (!text->windows1252) infoBytes = info;
  entry.bytes = infoBytes + text->lineEnd + locationBytes + text->lineEnd;
  return entry;
}

void Relocate(M3uText* text, M3uPiece* entry, const std::string& location) {
  const std::string bytes = Encoded(text, location);
  // The location is the piece's last line: what follows the line before it.
  std::string& piece = entry->bytes;
  size_t end = piece.size();
  while (end > 0 && (piece[end - 1] == '\n' || piece[end - 1] == '\r')) --end;
  const size_t start = piece.find_last_of("\r\n", end == 0 ? 0 : end - 1);
  const size_t begin = start == std::string::npos || end == 0 ? 0 : start + 1;
  piece.replace(begin, end - begin, bytes);
  entry->location = location;
}

std::vector<M3u8Entry> ParseM3u8(const std::string& text) {
  std::vector<M3u8Entry> entries;
  for (const M3uPiece& piece : ReadM3u(text).pieces)
    if (piece.entry) entries.push_back(M3u8Entry{piece.location, piece.title, piece.seconds});
  return entries;
}

std::string WriteM3u8(const std::vector<M3u8Entry>& entries) {
  M3uText text;
  text.pieces.push_back(M3uPiece{std::string(kHeader) + "\n"});
  for (const M3u8Entry& entry : entries) text.pieces.push_back(NewM3uEntry(&text, entry.path, entry.title, entry.seconds));
  return text.Bytes();
}

}  // namespace wmdm_standin
