// A drive letter that a test maps onto a fresh directory of its own, with a
// volume label, so that GetVolumeInformationW answers for it. On Linux the
// layer's drive map does it; under Wine the mount manager defines the drive
// and the directory's ".windows-label" file gives the label. On a Windows
// without either, Mapped() is false and the test skips what needs the drive.
#pragma once

#include <wide_text.h>

#include <string>

class TestDrive {
 public:
  TestDrive(WCHAR letter, const WString& label);
  ~TestDrive();
  TestDrive(const TestDrive&) = delete;
  TestDrive& operator=(const TestDrive&) = delete;

  bool Mapped() const { return mapped_; }
  WCHAR Letter() const { return letter_; }

 private:
  WCHAR letter_;
  bool mapped_ = false;
  std::string directory_;  // the platform's own path of the drive's root
};
