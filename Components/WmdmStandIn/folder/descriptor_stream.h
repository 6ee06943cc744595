// An open file as TagLib's stream, every read and write checked: a tag that
// did not land (no room left, an I/O error) is known to the caller, where
// TagLib's own file stream lets a failed write pass unnoticed.
#pragma once

#include <taglib/tiostream.h>

#include <string>

namespace wmdm_standin {

class DescriptorStream final : public TagLib::IOStream {
 public:
  // `name` is what TagLib tells the format by (its extension); the
  // descriptor stays the caller's.
  DescriptorStream(int descriptor, std::string name) : descriptor_(descriptor), name_(std::move(name)) {}

  // The errno of the first read or write that failed; 0 when none did.
  int Error() const { return error_; }

  TagLib::FileName name() const override { return name_.c_str(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector& data) override;
  void insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) override;
  void removeBlock(unsigned long start, unsigned long length) override;
  bool readOnly() const override { return false; }
  bool isOpen() const override { return descriptor_ >= 0; }
  void seek(long offset, Position from) override;
  long tell() const override { return static_cast<long>(position_); }
  long length() override;
  void truncate(long length) override;

 private:
  bool Write(unsigned long long at, const char* data, size_t size);
  // Moves `count` bytes at `from` to `to` (the ranges may overlap).
  bool Move(unsigned long long from, unsigned long long to, unsigned long long count);
  void Fail(int error);

  int descriptor_;
  std::string name_;
  unsigned long long position_ = 0;
  int error_ = 0;
};

}  // namespace wmdm_standin
