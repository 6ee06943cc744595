#include "tagged_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "file_writes.h"
#include "id3v2_splice.h"
#include "tag_edits.h"
#include "track_tags.h"

namespace wmdm_standin {
namespace {

// How far into an MP3 its ID3v2 tag is looked for behind other bytes; a tag
// further in is left to the in-place edit.
constexpr long kTagSearch = 1 << 20;

// An MP3 copied in one pass: the edited ID3v2 tag, whatever the source had
// before its own tag, the audio, the edited ID3v1 tag. The tag goes first
// even where the source's did not, since most readers look for it only
// there; the bytes it stood behind are kept after it, where players skip
// them on their way to the first frame. TagLib editing the copy would
// instead shift the whole file to make room for a grown tag.
struct Mp3Plan {
  unsigned long long tagStart = 0, audioStart = 0, trailerStart = 0;
  std::string tag, trailer;
};

// The size of the ID3v2 tag whose header is at `offset`, or 0.
long TagSizeAt(const TagLib::ByteVector& bytes, unsigned offset) {
  if (offset + 10 > bytes.size() || std::memcmp(bytes.data() + offset, "ID3", 3) != 0) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  if (p[3] == 0xFF || p[4] == 0xFF || ((p[6] | p[7] | p[8] | p[9]) & 0x80)) return 0;
  const long body = (p[6] << 21) | (p[7] << 14) | (p[8] << 7) | p[9];
  return 10 + body + ((p[5] & 0x10) ? 10 : 0);
}

// Where the ID3v2 tag TagLib read, `size` bytes long, starts: at the front
// as a rule, after other bytes in some files. -1 when not found here.
long FindTag(TagLib::FileStream& stream, long size) {
  stream.seek(0);
  const TagLib::ByteVector head = stream.readBlock(static_cast<unsigned long>(std::min<long>(stream.length(), kTagSearch)));
  for (int at = head.find("ID3"); at >= 0; at = head.find("ID3", static_cast<unsigned>(at) + 1))
    if (TagSizeAt(head, static_cast<unsigned>(at)) == size) return at;
  return -1;
}

// An ID3v1 tag read from its 128 bytes, as TagLib reads one from a file.
class Id3v1Bytes : public TagLib::ID3v1::Tag {
 public:
  explicit Id3v1Bytes(const TagLib::ByteVector& bytes) { parse(bytes); }
};

bool ReadAt(int descriptor, unsigned long long offset, size_t length, std::string* bytes) {
  bytes->resize(length);
  size_t done = 0;
  while (done < length) {
    const ssize_t got = pread(descriptor, bytes->data() + done, length - done, static_cast<off_t>(offset + done));
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

// The common MP3 read straight from its bytes, where TagLib would find the
// same: an ID3v2 tag at the start, the audio, an ID3v1 tag in the last 128
// bytes (as TagLib looks for one: "TAG" there, not an APE tag's footer).
// Anything else is left to TagLib.
bool PlanMp3FromBytes(int source, unsigned long long size, const std::vector<TagEdit>& edits, Mp3Plan* plan) {
  std::string head;
  if (size < 10 || !ReadAt(source, 0, 10, &head)) return false;
  const long tagSize = TagSizeAt(TagLib::ByteVector(head.data(), 10), 0);
  if (tagSize <= 10 || static_cast<unsigned long long>(tagSize) > size) return false;
  std::string own, tail;
  if (!ReadAt(source, 0, static_cast<size_t>(tagSize), &own)) return false;
  plan->tagStart = 0;
  plan->audioStart = static_cast<unsigned long long>(tagSize);
  plan->trailerStart = size;
  if (size >= 131 && ReadAt(source, size - 131, 131, &tail) && tail.compare(3, 3, "TAG") == 0 &&
      tail.compare(3, 8, "APETAGEX") != 0) {
    plan->trailerStart = size - 128;
    Id3v1Bytes v1(TagLib::ByteVector(tail.data() + 3, 128));
    EditFixedFields(v1, edits);
    const TagLib::ByteVector trailer = v1.render();
    plan->trailer.assign(trailer.data(), trailer.size());
  }
  return plan->trailerStart >= plan->audioStart && SpliceId3v2(own, edits, &plan->tag);
}

bool PlanMp3(const std::string& path, const std::vector<TagEdit>& edits, Mp3Plan* plan) {
  TagLib::FileStream stream(path.c_str(), true);
  if (!stream.isOpen()) return false;
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!file.isValid()) return false;
  const unsigned long long size = static_cast<unsigned long long>(stream.length());
  if (file.hasID3v2Tag()) {
    const long tagSize = static_cast<long>(file.ID3v2Tag()->header()->completeTagSize());
    const long at = FindTag(stream, tagSize);
    if (at < 0) return false;
    plan->tagStart = static_cast<unsigned long long>(at);
    plan->audioStart = plan->tagStart + static_cast<unsigned long long>(tagSize);
  }
  plan->trailerStart = size;
  if (file.hasID3v1Tag()) {
    plan->trailerStart = size - 128;
    EditFixedFields(*file.ID3v1Tag(), edits);
    const TagLib::ByteVector trailer = file.ID3v1Tag()->render();
    plan->trailer.assign(trailer.data(), trailer.size());
  }
  if (plan->trailerStart < plan->audioStart) return false;
  stream.seek(static_cast<long>(plan->tagStart));
  const TagLib::ByteVector own = stream.readBlock(static_cast<unsigned long>(plan->audioStart - plan->tagStart));
  if (!own.isEmpty() && SpliceId3v2(std::string(own.data(), own.size()), edits, &plan->tag)) return true;
  TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
  EditId3v2(tag, edits);
  const TagLib::ByteVector rendered =
      tag.render(tag.header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
  plan->tag.assign(rendered.data(), rendered.size());
  return true;
}

int WritePlanned(int source, int target, const Mp3Plan& plan) {
  const bool written = WriteAll(target, plan.tag.data(), plan.tag.size()) && CopyContent(source, target, plan.tagStart) &&
                       lseek(source, static_cast<off_t>(plan.audioStart), SEEK_SET) >= 0 &&
                       CopyContent(source, target, plan.trailerStart - plan.audioStart) &&
                       WriteAll(target, plan.trailer.data(), plan.trailer.size());
  return written ? 0 : (errno ? errno : EIO);
}

bool Taggable(const WString& name) {
  const DWORD code = FormatCodeOfName(name);
  return code != 0 && code != WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST;
}

}  // namespace

int CopyTagged(int source, const std::string& sourcePath, int target, const WString& name,
               const std::vector<ModelTag>& tags) {
  const std::vector<TagEdit> edits = Taggable(name) ? TagEditsOf(tags) : std::vector<TagEdit>();
  Mp3Plan plan;
  if (!edits.empty() && FormatCodeOfName(name) == WMDM_FORMATCODE_MP3) {
    struct stat info = {};
    bool planned = fstat(source, &info) == 0 &&
                   PlanMp3FromBytes(source, static_cast<unsigned long long>(info.st_size), edits, &plan);
    if (!planned) {
      plan = Mp3Plan();
      planned = PlanMp3(sourcePath, edits, &plan);
    }
    if (planned) return WritePlanned(source, target, plan);
  }
  if (!CopyContent(source, target)) return errno ? errno : EIO;
  return edits.empty() ? 0 : EditTagsInPlace(target, wide::ToUtf8(name), edits);
}

int WriteTagged(const std::vector<BYTE>& bytes, int target, const WString& name, const std::vector<ModelTag>& tags) {
  if (!WriteAll(target, reinterpret_cast<const char*>(bytes.data()), bytes.size())) return errno ? errno : EIO;
  const std::vector<TagEdit> edits = Taggable(name) ? TagEditsOf(tags) : std::vector<TagEdit>();
  return edits.empty() ? 0 : EditTagsInPlace(target, wide::ToUtf8(name), edits);
}

}  // namespace wmdm_standin
