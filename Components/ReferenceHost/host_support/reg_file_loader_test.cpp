// The .reg loader: both encodings, every value form, deletions, and malformed
// files reported by line. It writes through the registry API into a sandbox.
#include "host_support/reg_file_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include "host_support/plugin_module.h"
#include "host_support/registry_sandbox.h"

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

// The value's bytes, and its type in `type`; nothing when it is missing.
std::vector<BYTE> Query(const WCHAR* path, const WCHAR* name, DWORD* type) {
  HKEY key = nullptr;
  std::vector<BYTE> data;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS) {
    data.resize(size);
    RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
  }
  RegCloseKey(key);
  return data;
}

std::vector<BYTE> Utf16z(const WString& text) {
  const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(WCHAR));
}

bool KeyExists(const WCHAR* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

WString Levels(size_t count) {
  WString path;
  for (size_t i = 0; i < count; ++i) path += i ? W("\\K") : W("K");
  return path;
}

const char kEveryForm[] = R"reg([HKEY_LOCAL_MACHINE\Software\Test]
@="default \"quoted\" C:\\path"
"Count"=dword:0000001f
"Binary"=hex:5c,00,3f,\
  00
"Empty"=hex:
"Expand"=hex(2):25,00,41,00,25,00,00,00
"Multi"=hex(7):61,00,00,00,62,00,00,00,00,00
"Odd"=hex(12345):ff
; a comment line
[HKEY_LOCAL_MACHINE\Software\Test\Disk&Ven_LaCie&Prod_Rugged_FW/USB&Rev_]
"Slash"="kept"
)reg";

class RegFileLoaderTest : public testing::Test {
 protected:
  // Loads `text` after the header into an emptied sandbox.
  bool Load(const WString& text, const char* name) {
    sandbox_.Clear();
    loader_ = std::make_unique<RegFileLoader>(sandbox_.CreateOptions());
    return loader_->LoadText(text, name);
  }
  bool Load(const std::string& text, const char* name) {
    return Load(wide::FromUtf8(std::string(kHeader) + text), name);
  }

  void ExpectEveryForm() {
    const WCHAR* test = W("Software\\Test");
    const struct {
      const WCHAR* path;
      const WCHAR* name;
      DWORD type;
      std::vector<BYTE> data;
    } values[] = {
        {test, nullptr, REG_SZ, Utf16z(W("default \"quoted\" C:\\path"))},
        {test, W("Count"), REG_DWORD, {0x1f, 0, 0, 0}},
        {test, W("Binary"), REG_BINARY, {0x5c, 0, 0x3f, 0}},
        {test, W("Empty"), REG_BINARY, {}},
        {test, W("Expand"), REG_EXPAND_SZ, {0x25, 0, 0x41, 0, 0x25, 0, 0, 0}},
        {test, W("Multi"), REG_MULTI_SZ, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}},
        {test, W("Odd"), 0x12345, {0xff}},
        {W("Software\\Test\\Disk&Ven_LaCie&Prod_Rugged_FW/USB&Rev_"), W("Slash"), REG_SZ, Utf16z(W("kept"))},
    };
    for (const auto& v : values) {
      SCOPED_TRACE(v.name ? wide::ToUtf8(WString(v.name)) : "@");
      DWORD type = 0;
      EXPECT_EQ(v.data, Query(v.path, v.name, &type));
      EXPECT_EQ(v.type, type);
    }
  }

  RegistrySandbox sandbox_;
  std::unique_ptr<RegFileLoader> loader_;
};

TEST_F(RegFileLoaderTest, ReadsEveryValueForm) {
  ASSERT_TRUE(Load(std::string(kEveryForm), "every-form")) << loader_->Error();
  ExpectEveryForm();
}

TEST_F(RegFileLoaderTest, DeletesKeysWithTheirSubtreesAndSingleValues) {
  ASSERT_TRUE(Load(std::string(R"reg(
[HKEY_LOCAL_MACHINE\Software\Gone\Deep\Deeper]
[HKEY_LOCAL_MACHINE\Software\Stays]
"Keep"="1"
"Drop"="2"
[-HKEY_LOCAL_MACHINE\Software\Gone]
[-HKEY_LOCAL_MACHINE\Software\NeverThere]
[HKEY_LOCAL_MACHINE\Software\Stays]
"Drop"=-
"NeverThere"=-
)reg"), "deletions")) << loader_->Error();
  EXPECT_FALSE(KeyExists(W("Software\\Gone")));
  DWORD type = 0;
  EXPECT_FALSE(Query(W("Software\\Stays"), W("Keep"), &type).empty());
  EXPECT_TRUE(Query(W("Software\\Stays"), W("Drop"), &type).empty());
}

// Every refusal names the file and the line; hostile names get a line of
// their own each, and a long offending text is not echoed whole.
TEST_F(RegFileLoaderTest, AMalformedFileIsReportedWithItsLine) {
  const WString header = wide::FromUtf8(kHeader), hklm = W("[HKEY_LOCAL_MACHINE\\"), a = hklm + W("Software\\A]\n");
  const struct {
    WString text;  // after the header's two lines
    int line;
    const char* says;
  } cases[] = {
      {a + W("\"x\"=dword:1234567890\n"), 4, ""},
      {a + W("\"x\"=hex:0g\n"), 4, ""},
      {a + W("\"x\"=hex:01,\\\n  02,zz\n"), 5, ""},
      {a + W("\"x\"=hex:01,\\\n"), 4, ""},
      {a + W("\"x\"=\"unterminated\n"), 4, ""},
      {a + W("\"x\"\"y\"\n"), 4, ""},
      {a + W("\"x\"=qword:1\n"), 4, ""},
      {hklm + W("Software\\A\n"), 3, ""},
      {W("[HKEY_NOWHERE\\Software\\A]\n"), 3, ""},
      {W("\"x\"=\"no key yet\"\n"), 3, ""},
      {W("\n\nstray text\n"), 5, ""},
      {hklm + W("Software\\A") + WCHAR(0) + W("B]\n"), 3, "a key name cannot hold a NUL character"},
      {a + W("\"na") + WCHAR(0) + W("me\"=\"x\"\n"), 4, "a value name cannot hold a NUL"},
      {hklm + W("Software\\") + WString(256, W('n')) + W("]\n"), 3, "at most 255 characters, not 256"},
      {hklm + Levels(513) + W("]\n"), 3, "at most 512 levels deep"},
      {W("\n") + hklm + Levels(15000) + W("]\n"), 4, "at most 512 levels deep"},
      {W("[-HKEY_LOCAL_MACHINE\\") + Levels(600) + W("]\n"), 3, "at most 512 levels deep"},
      {WString(5000, W('x')), 3, "...' (5000 characters)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.text.substr(0, 60)));
    EXPECT_FALSE(Load(header + c.text, "bad.reg"));
    EXPECT_EQ(c.line, loader_->ErrorLine());
    EXPECT_EQ(0u, loader_->Error().find("bad.reg:" + std::to_string(c.line) + ": ")) << loader_->Error();
    EXPECT_NE(std::string::npos, loader_->Error().find(c.says)) << loader_->Error();
    EXPECT_LT(loader_->Error().size(), 200u) << loader_->Error();
  }
}

TEST_F(RegFileLoaderTest, AFileMustStartWithTheHeader) {
  EXPECT_FALSE(Load(WString(W("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\A]\n")), "old.reg"));
  EXPECT_EQ(1, loader_->ErrorLine());
  EXPECT_FALSE(loader_->LoadFile(std::string(MD_FIXTURES_DIR) + "/registry/no-such-file.reg"));
  EXPECT_EQ(0, loader_->ErrorLine());
}

TEST_F(RegFileLoaderTest, LoadsTheRealExports) {
  for (const char* name : {"bitcurator-bcc-dfa-SYSTEM.reg", "regipy-SYSTEM.reg", "regipy-SYSTEM_2.reg"}) {
    SCOPED_TRACE(name);
    sandbox_.Clear();
    RegFileLoader loader(sandbox_.CreateOptions());
    EXPECT_TRUE(loader.LoadFile(std::string(MD_FIXTURES_DIR) + "/registry/real/" + name)) << loader.Error();
    EXPECT_TRUE(KeyExists(W("System\\CurrentControlSet\\Enum\\USB")));
  }
}

TEST_F(RegFileLoaderTest, AFileThatIsNotTextOrNotAFileIsRefusedWhole) {
  const std::string bad = wide::ToUtf8(ProgramDirectory()) + "reg_file_loader_test_latin1.reg";
  std::ofstream(bad, std::ios::binary) << kHeader << "[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n";
  for (const auto& [path, says] : {std::pair<std::string, const char*>{bad, "line 3: byte 0xE9"},
                                   {wide::ToUtf8(ProgramDirectory()) + ".", "is a directory"}}) {
    sandbox_.Clear();
    RegFileLoader loader(sandbox_.CreateOptions());
    EXPECT_FALSE(loader.LoadFile(path));
    EXPECT_NE(std::string::npos, loader.Error().find(says)) << loader.Error();
    EXPECT_FALSE(KeyExists(W("Software"))) << "nothing of a refused file is loaded";
  }
  std::remove(bad.c_str());
}

}  // namespace
