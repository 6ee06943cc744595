#include "id3v2_splice.h"

#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>

#include <algorithm>
#include <cctype>

namespace wmdm_standin {
namespace {

constexpr size_t kHeader = 10;

struct RawFrame {
  std::string id;
  std::string bytes;  // header and body
};

unsigned long SyncSafe(const unsigned char* p) {
  return (static_cast<unsigned long>(p[0]) << 21) | (p[1] << 14) | (p[2] << 7) | p[3];
}
unsigned long BigEndian(const unsigned char* p) {
  return (static_cast<unsigned long>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

bool IsFrameId(const std::string& tag, size_t at) {
  if (at + 4 > tag.size()) return false;
  return std::all_of(tag.begin() + static_cast<long>(at), tag.begin() + static_cast<long>(at) + 4,
                     [](char c) { return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)); });
}

// The frame size at `at`. Version 2.4 sizes are sync-safe, but some writers
// put plain numbers there: the reading that lands on the next frame or the
// end wins.
unsigned long FrameSize(const std::string& tag, size_t at, int version, size_t end) {
  const auto* p = reinterpret_cast<const unsigned char*>(tag.data() + at + 4);
  const unsigned long plain = BigEndian(p);
  if (version == 3) return plain;
  const unsigned long safe = SyncSafe(p);
  const auto fits = [&](unsigned long size) {
    const size_t next = at + kHeader + size;
    return next <= end && (next + kHeader > end || tag[next] == '\0' || IsFrameId(tag, next));
  };
  return (p[0] | p[1] | p[2] | p[3]) & 0x80 || (!fits(safe) && fits(plain)) ? plain : safe;
}

// The frames of the tag body [kHeader, end); false when they do not walk
// to padding or the end.
bool WalkFrames(const std::string& tag, int version, size_t end, std::vector<RawFrame>* frames) {
  size_t at = kHeader;
  while (at + kHeader <= end && tag[at] != '\0') {
    if (!IsFrameId(tag, at)) return false;
    const unsigned long size = FrameSize(tag, at, version, end);
    if (at + kHeader + size > end) return false;
    frames->push_back(RawFrame{tag.substr(at, 4), tag.substr(at, kHeader + size)});
    at += kHeader + size;
  }
  return std::all_of(tag.begin() + static_cast<long>(std::min(at, end)), tag.begin() + static_cast<long>(end),
                     [](char c) { return c == '\0'; });
}

bool Parse(const std::string& tag, int* version, std::vector<RawFrame>* frames) {
  if (tag.size() < kHeader || tag.compare(0, 3, "ID3") != 0) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(tag.data());
  *version = p[3];
  // Unsynchronised, extended header, or flags this reader does not know.
  if ((*version != 3 && *version != 4) || (p[5] & 0xEF) != 0) return false;
  const size_t end = std::min<size_t>(tag.size(), kHeader + SyncSafe(p + 6));
  return WalkFrames(tag, *version, end, frames);
}

// The names' frames, rendered by TagLib in `version`.
bool NewFrames(const std::vector<TagEdit>& edits, int version, std::vector<RawFrame>* frames) {
  TagLib::ID3v2::Tag fresh;
  EditId3v2(fresh, edits);
  const TagLib::ByteVector rendered = fresh.render(version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
  int renderedVersion = 0;
  return Parse(std::string(rendered.data(), rendered.size()), &renderedVersion, frames);
}

std::string SyncSafeBytes(size_t size) {
  return {static_cast<char>((size >> 21) & 0x7F), static_cast<char>((size >> 14) & 0x7F),
          static_cast<char>((size >> 7) & 0x7F), static_cast<char>(size & 0x7F)};
}

}  // namespace

bool SpliceId3v2(const std::string& original, const std::vector<TagEdit>& edits, std::string* edited) {
  int version = 0;
  std::vector<RawFrame> frames, added;
  if (!Parse(original, &version, &frames) || !NewFrames(edits, version, &added)) return false;
  std::string body;
  for (const RawFrame& frame : frames)
    if (!ReplacedByEdits(frame.id, edits)) body += frame.bytes;
  for (const RawFrame& frame : added) body += frame.bytes;
  // The old size when the frames still fit, so the padding takes the change.
  const size_t oldBody = original.size() - kHeader - ((original[5] & 0x10) ? kHeader : 0);
  if (body.size() < oldBody) body.resize(oldBody, '\0');
  *edited = std::string("ID3") + static_cast<char>(version) + '\0' + '\0' + SyncSafeBytes(body.size()) + body;
  return true;
}

}  // namespace wmdm_standin
