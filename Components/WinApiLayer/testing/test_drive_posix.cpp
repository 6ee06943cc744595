#include "test_drive.h"

#include <stdlib.h>
#include <unistd.h>

TestDrive::TestDrive(WCHAR letter, const WString& label) : letter_(letter) {
  char pattern[] = "/tmp/mdplugin-drive-XXXXXX";
  if (!mkdtemp(pattern)) return;
  directory_ = pattern;
  mapped_ = WinApiMapDrive(letter, directory_.c_str(), label.c_str()) != FALSE;
}

TestDrive::~TestDrive() {
  if (mapped_) WinApiMapDrive(letter_, nullptr, nullptr);
  if (!directory_.empty()) rmdir(directory_.c_str());
}
