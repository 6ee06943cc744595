// Test support: a machine's registry in a sandbox (HKEY_LOCAL_MACHINE
// redirected onto a key of the test's own), filled from .reg fixtures or from
// .reg text written in the test, and an inventory rebuilt over it. On the
// Windows lane the same text goes through the real registry API.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "detect/kc_device_inventory.h"
#include "host_support/reg_file_loader.h"
#include "host_support/registry_sandbox.h"

inline std::string RegistryFixture(const std::string& relativePath) {
  return std::string(MD_FIXTURES_DIR) + "/registry/" + relativePath;
}

// A value name as a .reg file quotes it.
inline std::string QuotedName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// A .reg line holding a REG_MULTI_SZ value, as regedit writes it.
inline std::string MultiTextLine(const std::string& name, std::initializer_list<const char*> items) {
  std::string line = QuotedName(name) + "=hex(7):";
  auto addUnit = [&line](unsigned unit) {
    static const char digits[] = "0123456789abcdef";
    for (unsigned byte : {unit & 0xFF, unit >> 8}) {
      line += digits[byte >> 4];
      line += digits[byte & 0xF];
      line += ',';
    }
  };
  for (const char* item : items) {
    for (WCHAR c : wide::FromUtf8(item)) addUnit(c);
    addUnit(0);
  }
  addUnit(0);
  line.pop_back();
  return line + "\n";
}

// A .reg line holding text as binary UTF-16 data, as MountedDevices stores it.
inline std::string Utf16BinaryLine(const std::string& name, const std::string& text) {
  std::string line = QuotedName(name) + "=hex:";
  static const char digits[] = "0123456789abcdef";
  for (WCHAR c : wide::FromUtf8(text)) {
    for (unsigned byte : {static_cast<unsigned>(c) & 0xFF, static_cast<unsigned>(c) >> 8}) {
      line += digits[byte >> 4];
      line += digits[byte & 0xF];
      line += ',';
    }
  }
  if (!text.empty()) line.pop_back();
  return line + "\n";
}

class TestMachine {
 public:
  TestMachine() : sandbox_(new RegistrySandbox()), loader_(sandbox_->CreateOptions()) {
    EXPECT_EQ(ERROR_SUCCESS, sandbox_->Status()) << "the registry sandbox could not be set up";
  }

  // Loads a fixture below fixtures/registry/.
  void Load(const std::string& relativePath) {
    EXPECT_TRUE(loader_.LoadFile(RegistryFixture(relativePath))) << loader_.Error();
  }

  // Loads .reg text written in the test (the header line is added here).
  // Key paths may be given relative to HKEY_LOCAL_MACHINE\System as "[~\...]".
  void Add(const std::string& body) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (size_t pos = 0; pos < body.size();) {
      size_t end = body.find('\n', pos);
      if (end == std::string::npos) end = body.size();
      std::string line = body.substr(pos, end - pos);
      const size_t first = line.find_first_not_of(' ');
      line = first == std::string::npos ? std::string() : line.substr(first);
      if (line.rfind("[~\\", 0) == 0) line = "[HKEY_LOCAL_MACHINE\\System\\" + line.substr(3);
      if (line.rfind("[-~\\", 0) == 0) line = "[-HKEY_LOCAL_MACHINE\\System\\" + line.substr(4);
      text += line + "\n";
      pos = end + 1;
    }
    EXPECT_TRUE(loader_.LoadText(wide::FromUtf8(text), "test text")) << loader_.Error();
  }

  kcDeviceInventory& Rebuild() {
    inventory_.Clear();
    inventory_.Rebuild();
    return inventory_;
  }
  kcDeviceInventory& Inventory() { return inventory_; }

 private:
  std::unique_ptr<RegistrySandbox> sandbox_;
  RegFileLoader loader_;
  kcDeviceInventory inventory_;
};
