// Reading and writing the values of the open key.
#include <algorithm>
#include <memory>

#include "detect/kc_registry.h"

namespace {

// Bytes a string value is read into.
constexpr DWORD kStringBufferBytes = 4096;

}  // namespace

bool kcRegistry::ReadRawValue(const WCHAR* name, DWORD* type, BYTE* data, DWORD* size) {
  if (!name) return InvalidParameter();
  DWORD valueType = type ? *type : 0;
  const LONG result = RegQueryValueExW(key_, name, nullptr, &valueType, data, size);
  if (result == ERROR_SUCCESS && type) *type = valueType;
  return Record(result);
}

bool kcRegistry::ReadDWord(const WCHAR* name, DWORD& out) {
  if (!name) return InvalidParameter();
  DWORD type = REG_DWORD;
  DWORD size = sizeof(DWORD);
  return ReadRawValue(name, &type, reinterpret_cast<BYTE*>(&out), &size);
}

bool kcRegistry::ReadString(const WCHAR* name, WString& out) {
  if (!name) return InvalidParameter();
  std::unique_ptr<WCHAR[]> buffer(new WCHAR[kStringBufferBytes / sizeof(WCHAR)]);
  BYTE* bytes = reinterpret_cast<BYTE*>(buffer.get());
  DWORD type = REG_SZ;
  DWORD size = kStringBufferBytes;
  if (!ReadRawValue(name, &type, bytes, &size)) {
    out.clear();
    return false;
  }
  size = std::min(size, kStringBufferBytes);
  // An odd last byte is the low half of a character whose high half is zero.
  if (size % sizeof(WCHAR)) bytes[size] = 0;
  out = FilledText(buffer.get(), (size + 1) / sizeof(WCHAR));
  return true;
}

bool kcRegistry::ReadStringToBuffer(const WCHAR* name, WCHAR* buffer, DWORD size) {
  if (!name) return InvalidParameter();
  WString text;
  if (!ReadString(name, text)) return false;
  if (buffer && size > 0) {
    const size_t count = std::min<size_t>(text.size(), size - 1);
    std::copy(text.begin(), text.begin() + count, buffer);
    buffer[count] = 0;
  }
  return true;
}

bool kcRegistry::ReadValue(const WCHAR* name, WString& out) {
  if (!name) return InvalidParameter();
  return ReadString(name, out);
}

bool kcRegistry::ReadValue(const WCHAR* name, DWORD& out) {
  if (!name) return InvalidParameter();
  return ReadDWord(name, out);
}

bool kcRegistry::EnumerateValue(DWORD index, WString& name, DWORD* type, BYTE* data, DWORD* size) {
  try {
    std::unique_ptr<WCHAR[]> nameBuffer(new WCHAR[kNameBufferChars]);
    DWORD nameLength = kNameBufferChars;
    DWORD valueType = type ? *type : 0;
    const LONG result =
        RegEnumValueW(key_, index, nameBuffer.get(), &nameLength, nullptr, &valueType, data, size);
    if (result == ERROR_SUCCESS) {
      if (type) *type = valueType;
      name = FilledText(nameBuffer.get(), std::min(nameLength, kNameBufferChars));
    }
    return Record(result);
  } catch (...) {
    return Record(kErrorExceptionInOperation);
  }
}

bool kcRegistry::WriteRawValue(const WCHAR* name, DWORD type, const BYTE* data, DWORD size) {
  if (!name || !data) return InvalidParameter();
  return Record(RegSetValueExW(key_, name, 0, type, data, size));
}

bool kcRegistry::WriteDWord(const WCHAR* name, DWORD value) {
  if (!name) return InvalidParameter();
  return WriteRawValue(name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

bool kcRegistry::WriteString(const WCHAR* name, const WCHAR* text) {
  if (!name) return InvalidParameter();
  const DWORD bytes = static_cast<DWORD>((wide::Length(text) + 1) * sizeof(WCHAR));
  return WriteRawValue(name, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

bool kcRegistry::WriteValue(const WCHAR* name, const WCHAR* text) {
  if (!name) return InvalidParameter();
  return WriteString(name, text);
}

bool kcRegistry::WriteValue(const WCHAR* name, DWORD value) {
  if (!name) return InvalidParameter();
  return WriteDWord(name, value);
}

bool kcRegistry::DeleteValue(const WCHAR* name) { return Record(RegDeleteValueW(key_, name)); }
