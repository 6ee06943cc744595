// What the registry answers about values: types and bytes kept, write order,
// size reporting and truncation, missing values and bad arguments.
#include <wine_probe.h>

#include "registry_scratch_key.h"

namespace {

std::vector<BYTE> Bytes(const WString& text) {
  const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(WCHAR));
}

void Set(HKEY key, const WCHAR* name, DWORD type, const std::vector<BYTE>& data) {
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())));
}

std::vector<WString> ValueNames(HKEY key) {
  std::vector<WString> names;
  WCHAR name[64];
  for (DWORD i = 0;; ++i) {
    DWORD length = 64;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

TEST(RegistryValues, EveryTypeComesBackWithItsBytes) {
  ScratchKey scratch;
  const WString multi(W("USB\\Vid_1234&Pid_5678&Rev_0100\0USB\\Vid_1234&Pid_5678\0"), 51);
  struct Case {
    const WCHAR* name;
    DWORD type;
    std::vector<BYTE> data;
  } cases[] = {
      {W("Text"), REG_SZ, Bytes(W("Acme Pocket"))},
      {W("Expandable"), REG_EXPAND_SZ, Bytes(W("%SystemRoot%\\x"))},
      {W("Binary"), REG_BINARY, {0x5c, 0x00, 0x3f, 0x00, 0xff}},
      {W("Number"), REG_DWORD, {0x14, 0x00, 0x00, 0x00}},
      {W("HardwareID"), REG_MULTI_SZ, Bytes(multi)},
      {W("Wide"), REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {W("Nothing"), REG_NONE, {}},
      {W("Odd"), 0x12345, {9}},
  };
  for (const Case& c : cases) Set(scratch.Get(), c.name, c.type, c.data);
  for (const Case& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(WString(c.name)));
    BYTE data[256] = {};
    DWORD type = 0, size = sizeof(data);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), c.name, nullptr, &type, data, &size));
    EXPECT_EQ(c.type, type);
    EXPECT_EQ(c.data, std::vector<BYTE>(data, data + size));
  }
}

TEST(RegistryValues, ValuesEnumerateInWriteOrderAndKeepTheirPlaceWhenRewritten) {
  if (RunningUnderWine()) GTEST_SKIP() << "Wine lists values sorted by name; Windows keeps their write order";
  ScratchKey scratch;
  for (const WCHAR* name : {W("Service"), W("Capabilities"), W("DeviceDesc"), W("Class")})
    Set(scratch.Get(), name, REG_SZ, Bytes(W("x")));
  Set(scratch.Get(), W("capabilities"), REG_DWORD, {1, 0, 0, 0});
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(scratch.Get(), W("DEVICEDESC")));
  Set(scratch.Get(), W("DeviceDesc"), REG_SZ, Bytes(W("y")));
  const std::vector<WString> expected = {W("Service"), W("Capabilities"), W("Class"), W("DeviceDesc")};
  EXPECT_EQ(expected, ValueNames(scratch.Get()));
  DWORD type = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), W("CAPABILITIES"), nullptr, &type, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
}

TEST(RegistryValues, QueryReportsTheSizeAndRefusesAShortBuffer) {
  ScratchKey scratch;
  Set(scratch.Get(), W("FriendlyName"), REG_SZ, Bytes(W("ACME Pocket USB Device")));
  const DWORD full = 23 * sizeof(WCHAR);  // the terminator counts
  DWORD type = 0, size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), W("FriendlyName"), nullptr, &type, nullptr, &size));
  EXPECT_EQ(full, size);
  BYTE data[64] = {};
  size = 10;
  EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(scratch.Get(), W("FriendlyName"), nullptr, &type, data, &size));
  EXPECT_EQ(full, size);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  size = full;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), W("FriendlyName"), nullptr, &type, data, &size));
  EXPECT_EQ(WString(W("ACME Pocket USB Device")), WString(reinterpret_cast<const WCHAR*>(data)));
}

TEST(RegistryValues, MissingValuesAndBadArgumentsAnswerTheirCodes) {
  ScratchKey scratch;
  BYTE data[8];
  DWORD size = sizeof(data);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(scratch.Get(), W("Missing"), nullptr, nullptr, data, &size));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(scratch.Get(), W("Missing"), nullptr, nullptr, data, nullptr));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(scratch.Get(), W("Missing")));
  WCHAR name[8];
  DWORD length = 8;
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueW(scratch.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr));
}

TEST(RegistryValues, TheDefaultValueIsNamedByNullOrEmpty) {
  ScratchKey scratch;
  Set(scratch.Get(), nullptr, REG_SZ, Bytes(W("default")));
  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), W(""), nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(8u * sizeof(WCHAR), size);
  EXPECT_EQ(std::vector<WString>{WString()}, ValueNames(scratch.Get()));
}

TEST(RegistryValues, EnumerationReportsShortNameAndDataBuffers) {
  ScratchKey scratch;
  Set(scratch.Get(), W("\\DosDevices\\E:"), REG_BINARY, std::vector<BYTE>(24, 0x41));
  WCHAR name[32];
  BYTE data[32];
  DWORD length = 14, type = 0, size = sizeof(data);  // the name has 14 characters and needs 15
  EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(scratch.Get(), 0, name, &length, nullptr, &type, data, &size));
  length = 32;
  size = 8;
  EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(scratch.Get(), 0, name, &length, nullptr, &type, data, &size));
  EXPECT_EQ(24u, size);
  length = 32;
  size = sizeof(data);
  ASSERT_EQ(ERROR_SUCCESS, RegEnumValueW(scratch.Get(), 0, name, &length, nullptr, &type, data, &size));
  EXPECT_EQ(14u, length);
  EXPECT_EQ(WString(W("\\DosDevices\\E:")), WString(name));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_EQ(24u, size);
}

// Windows documents 16,383 characters for a value name; a longer one is
// refused with ERROR_INVALID_PARAMETER and so never found.
TEST(RegistryValues, AValueNameHoldsAtMost16383Characters) {
  ScratchKey scratch;
  const WString longest(16383, W('v')), tooLong(16384, W('v'));
  const std::vector<BYTE> one = {1, 0, 0, 0};
  Set(scratch.Get(), longest.c_str(), REG_DWORD, one);
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExW(scratch.Get(), tooLong.c_str(), 0, REG_DWORD, one.data(), 4));
  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), longest.c_str(), nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(scratch.Get(), tooLong.c_str(), nullptr, nullptr, nullptr, &size));
}

TEST(RegistryValues, ValuesReadInAnyOrderOfIndexesGiveTheSameNames) {
  ScratchKey scratch;
  for (int i = 0; i < 30; ++i) Set(scratch.Get(), (W("V") + wide::FromUnsigned(100 + (i * 7) % 30)).c_str(), REG_SZ,
                                   Bytes(W("x")));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueW(scratch.Get(), W("v110")));
  const std::vector<WString> forward = ValueNames(scratch.Get());
  ASSERT_EQ(29u, forward.size());
  for (DWORD index : {28u, 0u, 14u, 15u, 13u, 27u, 1u}) {
    WCHAR name[16];
    DWORD length = 16;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueW(scratch.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(forward[index], WString(name, length)) << "index " << index;
  }
  DWORD size = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(scratch.Get(), W("V110"), nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(scratch.Get(), W("v111"), nullptr, nullptr, nullptr, &size));
}

}  // namespace
