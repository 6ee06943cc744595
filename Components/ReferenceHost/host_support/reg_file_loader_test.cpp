// The .reg loader: both encodings, every value form, deletions, and malformed
// files reported by line. It writes through the registry API into a sandbox.
#include "host_support/reg_file_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "host_support/input_file.h"
#include "host_support/plugin_module.h"
#include "host_support/registry_sandbox.h"

namespace {

WString Decoded(const std::string& bytes) {
  WString text;
  std::string error;
  EXPECT_TRUE(DecodeTextFile(bytes, &text, &error)) << error;
  return text;
}

const char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

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

std::vector<BYTE> Utf16(const WString& text) {
  const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
  return std::vector<BYTE>(p, p + text.size() * sizeof(WCHAR));
}

bool KeyExists(const WCHAR* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
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

void ExpectEveryForm() {
  DWORD type = 0;
  const WCHAR* test = W("Software\\Test");
  EXPECT_EQ(Utf16(WString(W("default \"quoted\" C:\\path")) + WCHAR(0)), Query(test, nullptr, &type));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ((std::vector<BYTE>{0x1f, 0, 0, 0}), Query(test, W("Count"), &type));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ((std::vector<BYTE>{0x5c, 0, 0x3f, 0}), Query(test, W("Binary"), &type));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_TRUE(Query(test, W("Empty"), &type).empty());
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_EQ(8u, Query(test, W("Expand"), &type).size());
  EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
  EXPECT_EQ(10u, Query(test, W("Multi"), &type).size());
  EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
  EXPECT_EQ(1u, Query(test, W("Odd"), &type).size());
  EXPECT_EQ(0x12345u, type);
  EXPECT_EQ(Utf16(WString(W("kept")) + WCHAR(0)),
            Query(W("Software\\Test\\Disk&Ven_LaCie&Prod_Rugged_FW/USB&Rev_"), W("Slash"), &type));
}

TEST(RegFileLoader, ReadsEveryValueFormFromUtf8Text) {
  RegistrySandbox sandbox;
  RegFileLoader loader(sandbox.CreateOptions());
  ASSERT_TRUE(loader.LoadText(Decoded(std::string(kHeader) + kEveryForm), "utf8")) << loader.Error();
  ExpectEveryForm();
}

TEST(RegFileLoader, ReadsUtf16TextWithItsByteOrderMark) {
  const WString text = wide::FromUtf8(std::string(kHeader) + kEveryForm);
  std::string bytes = "\xFF\xFE";
  for (WCHAR c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  EXPECT_EQ(text, Decoded(bytes));
  EXPECT_EQ(text, Decoded("\xEF\xBB\xBF" + std::string(kHeader) + kEveryForm));
  RegistrySandbox sandbox;
  RegFileLoader loader(sandbox.CreateOptions());
  ASSERT_TRUE(loader.LoadText(Decoded(bytes), "utf16")) << loader.Error();
  ExpectEveryForm();
}

TEST(RegFileLoader, DeletesKeysWithTheirSubtreesAndSingleValues) {
  RegistrySandbox sandbox;
  RegFileLoader loader(sandbox.CreateOptions());
  ASSERT_TRUE(loader.LoadText(wide::FromUtf8(std::string(kHeader) + R"reg(
[HKEY_LOCAL_MACHINE\Software\Gone\Deep\Deeper]
[HKEY_LOCAL_MACHINE\Software\Stays]
"Keep"="1"
"Drop"="2"
[-HKEY_LOCAL_MACHINE\Software\Gone]
[-HKEY_LOCAL_MACHINE\Software\NeverThere]
[HKEY_LOCAL_MACHINE\Software\Stays]
"Drop"=-
"NeverThere"=-
)reg"), "deletions")) << loader.Error();
  EXPECT_FALSE(KeyExists(W("Software\\Gone")));
  DWORD type = 0;
  EXPECT_FALSE(Query(W("Software\\Stays"), W("Keep"), &type).empty());
  EXPECT_TRUE(Query(W("Software\\Stays"), W("Drop"), &type).empty());
}

TEST(RegFileLoader, AMalformedFileIsReportedWithItsLineNumber) {
  const struct {
    const char* text;  // after the header's two lines
    int line;
  } cases[] = {
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=dword:1234567890\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=hex:0g\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=hex:01,\\\n  02,zz\n", 5},
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=hex:01,\\\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=\"unterminated\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"\"y\"\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=qword:1\n", 4},
      {"[HKEY_LOCAL_MACHINE\\Software\\A\n", 3},
      {"[HKEY_NOWHERE\\Software\\A]\n", 3},
      {"\"x\"=\"no key yet\"\n", 3},
      {"\n\nstray text\n", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    RegistrySandbox sandbox;
    RegFileLoader loader(sandbox.CreateOptions());
    EXPECT_FALSE(loader.LoadText(wide::FromUtf8(std::string(kHeader) + c.text), "bad.reg"));
    EXPECT_EQ(c.line, loader.ErrorLine());
    EXPECT_EQ(0u, loader.Error().find("bad.reg:" + std::to_string(c.line) + ": ")) << loader.Error();
  }
}

TEST(RegFileLoader, AFileMustStartWithTheHeader) {
  RegistrySandbox sandbox;
  RegFileLoader loader(sandbox.CreateOptions());
  EXPECT_FALSE(loader.LoadText(W("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\A]\n"), "old.reg"));
  EXPECT_EQ(1, loader.ErrorLine());
  EXPECT_FALSE(loader.LoadFile(std::string(MD_FIXTURES_DIR) + "/registry/no-such-file.reg"));
  EXPECT_EQ(0, loader.ErrorLine());
}

TEST(RegFileLoader, LoadsTheRealExports) {
  for (const char* name : {"bitcurator-bcc-dfa-SYSTEM.reg", "regipy-SYSTEM.reg", "regipy-SYSTEM_2.reg"}) {
    SCOPED_TRACE(name);
    RegistrySandbox sandbox;
    RegFileLoader loader(sandbox.CreateOptions());
    EXPECT_TRUE(loader.LoadFile(std::string(MD_FIXTURES_DIR) + "/registry/real/" + name)) << loader.Error();
    EXPECT_TRUE(KeyExists(W("System\\CurrentControlSet\\Enum\\USB")));
  }
}

WString Levels(size_t count) {
  WString path;
  for (size_t i = 0; i < count; ++i) path += i ? W("\\K") : W("K");
  return path;
}

// Hostile names get a line of their own each, and a long one is not echoed whole.
TEST(RegFileLoader, NamesTheRegistryCannotHoldAreRefusedWithTheirLine) {
  const WString header = wide::FromUtf8(kHeader);
  const WString hklm = W("[HKEY_LOCAL_MACHINE\\");
  const struct {
    WString text;
    int line;
    const char* says;
  } cases[] = {
      {hklm + W("Software\\A") + WCHAR(0) + W("B]\n"), 3, "a key name cannot hold a NUL character"},
      {hklm + W("Software\\A]\n\"na") + WCHAR(0) + W("me\"=\"x\"\n"), 4, "a value name cannot hold a NUL"},
      {hklm + W("Software\\") + WString(256, W('n')) + W("]\n"), 3, "at most 255 characters, not 256"},
      {hklm + Levels(513) + W("]\n"), 3, "at most 512 levels deep"},
      {W("\n") + hklm + Levels(15000) + W("]\n"), 4, "at most 512 levels deep"},
      {W("[-HKEY_LOCAL_MACHINE\\") + Levels(600) + W("]\n"), 3, "at most 512 levels deep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    RegistrySandbox sandbox;
    RegFileLoader loader(sandbox.CreateOptions());
    EXPECT_FALSE(loader.LoadText(header + c.text, "hostile.reg"));
    EXPECT_EQ(c.line, loader.ErrorLine());
    EXPECT_NE(std::string::npos, loader.Error().find(c.says)) << loader.Error();
    EXPECT_LT(loader.Error().size(), 200u) << loader.Error();
  }
}

TEST(RegFileLoader, ALongOffendingTextIsShownCutShort) {
  RegistrySandbox sandbox;
  RegFileLoader loader(sandbox.CreateOptions());
  EXPECT_FALSE(loader.LoadText(wide::FromUtf8(std::string(kHeader) + std::string(5000, 'x')), "long.reg"));
  EXPECT_NE(std::string::npos, loader.Error().find("...' (5000 characters)")) << loader.Error();
  EXPECT_LT(loader.Error().size(), 200u);
}

TEST(RegFileLoader, AFileThatIsNotTextOrNotAFileIsRefusedWhole) {
  const std::string bad = wide::ToUtf8(ProgramDirectory()) + "reg_file_loader_test_latin1.reg";
  std::ofstream(bad, std::ios::binary) << kHeader << "[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n";
  const struct {
    std::string path;
    const char* says;
  } cases[] = {
      {bad, "line 3: byte 0xE9"},
      {wide::ToUtf8(ProgramDirectory()) + ".", "is a directory"},
  };
  for (const auto& c : cases) {
    RegistrySandbox sandbox;
    RegFileLoader loader(sandbox.CreateOptions());
    EXPECT_FALSE(loader.LoadFile(c.path));
    EXPECT_NE(std::string::npos, loader.Error().find(c.says)) << loader.Error();
    EXPECT_FALSE(KeyExists(W("Software"))) << "nothing of a refused file is loaded";
  }
  std::remove(bad.c_str());
}

}  // namespace
