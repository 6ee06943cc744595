#include "descriptor_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "file_writes.h"

namespace wmdm_standin {
namespace {

constexpr unsigned long long kMoveChunk = 1 << 20;

}  // namespace

void DescriptorStream::Fail(int error) {
  if (error_ == 0) error_ = error ? error : EIO;
}

TagLib::ByteVector DescriptorStream::readBlock(unsigned long length) {
  TagLib::ByteVector block(static_cast<unsigned int>(length), '\0');
  size_t done = 0;
  while (done < length) {
    const ssize_t got = pread(descriptor_, block.data() + done, length - done, static_cast<off_t>(position_ + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(errno);
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  block.resize(static_cast<unsigned int>(done));
  position_ += done;
  return block;
}

bool DescriptorStream::Write(unsigned long long at, const char* data, size_t size) {
  if (error_) return false;  // after one failure the file is not trusted further
  if (WriteAllAt(descriptor_, at, data, size)) return true;
  Fail(errno);
  return false;
}

void DescriptorStream::writeBlock(const TagLib::ByteVector& data) {
  if (Write(position_, data.data(), data.size())) position_ += data.size();
}

bool DescriptorStream::Move(unsigned long long from, unsigned long long to, unsigned long long count) {
  std::vector<char> buffer(static_cast<size_t>(std::min(count, kMoveChunk)));
  // Moving up, the last piece goes first so nothing is overwritten before it is read.
  const bool up = to > from;
  for (unsigned long long done = 0; done < count;) {
    const unsigned long long piece = std::min<unsigned long long>(count - done, buffer.size());
    const unsigned long long offset = up ? count - done - piece : done;
    size_t got = 0;
    while (got < piece) {
      const ssize_t part = pread(descriptor_, buffer.data() + got, piece - got, static_cast<off_t>(from + offset + got));
      if (part < 0 && errno == EINTR) continue;
      if (part <= 0) {
        Fail(part < 0 ? errno : EIO);
        return false;
      }
      got += static_cast<size_t>(part);
    }
    if (!Write(to + offset, buffer.data(), piece)) return false;
    done += piece;
  }
  return true;
}

void DescriptorStream::insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) {
  const unsigned long long size = static_cast<unsigned long long>(length());
  const unsigned long long tail = start + replace < size ? size - start - replace : 0;
  if (data.size() > replace) {
    if (!Move(start + replace, start + data.size(), tail)) return;
  } else if (data.size() < replace) {
    if (!Write(start, data.data(), data.size()) || !Move(start + replace, start + data.size(), tail)) return;
    truncate(static_cast<long>(start + data.size() + tail));
    position_ = start + data.size();
    return;
  }
  if (Write(start, data.data(), data.size())) position_ = start + data.size();
}

void DescriptorStream::removeBlock(unsigned long start, unsigned long length) {
  const unsigned long long size = static_cast<unsigned long long>(this->length());
  if (start >= size) return;
  const unsigned long long removed = std::min<unsigned long long>(length, size - start);
  if (!Move(start + removed, start, size - start - removed)) return;
  truncate(static_cast<long>(size - removed));
}

void DescriptorStream::seek(long offset, Position from) {
  long long base = 0;
  if (from == Current) base = static_cast<long long>(position_);
  if (from == End) base = length();
  position_ = static_cast<unsigned long long>(std::max<long long>(0, base + offset));
}

long DescriptorStream::length() {
  struct stat info = {};
  if (fstat(descriptor_, &info) != 0) {
    Fail(errno);
    return 0;
  }
  return static_cast<long>(info.st_size);
}

void DescriptorStream::truncate(long length) {
  if (error_) return;
  if (ftruncate(descriptor_, length) != 0) Fail(errno);
}

}  // namespace wmdm_standin
