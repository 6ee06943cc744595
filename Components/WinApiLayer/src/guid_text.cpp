// GUIDs as registry text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
#include <objbase.h>

#include <wide_text.h>

#include <cstring>

#include "allocation_fault.h"

namespace {

constexpr int kGuidTextChars = 38;  // without the terminator

void PutHex(WCHAR*& out, uint64_t value, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = static_cast<WCHAR>(hex[(value >> shift) & 0xF]);
}

void FormatGuid(REFGUID guid, WCHAR* out) {
  *out++ = W('{');
  PutHex(out, guid.Data1, 8);
  *out++ = W('-');
  PutHex(out, guid.Data2, 4);
  *out++ = W('-');
  PutHex(out, guid.Data3, 4);
  *out++ = W('-');
  for (int i = 0; i < 8; ++i) {
    if (i == 2) *out++ = W('-');
    PutHex(out, guid.Data4[i], 2);
  }
  *out++ = W('}');
  *out = 0;
}

int HexValue(WCHAR c) {
  if (c >= W('0') && c <= W('9')) return c - W('0');
  if (c >= W('a') && c <= W('f')) return c - W('a') + 10;
  if (c >= W('A') && c <= W('F')) return c - W('A') + 10;
  return -1;
}

bool ReadHex(const WCHAR*& in, int digits, uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexValue(in[i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  in += digits;
  return true;
}

bool Expect(const WCHAR*& in, WCHAR c) { return *in++ == c; }

bool ParseGuid(const WCHAR* in, GUID& guid) {
  uint64_t value = 0;
  if (!Expect(in, W('{')) || !ReadHex(in, 8, value)) return false;
  guid.Data1 = static_cast<uint32_t>(value);
  if (!Expect(in, W('-')) || !ReadHex(in, 4, value)) return false;
  guid.Data2 = static_cast<uint16_t>(value);
  if (!Expect(in, W('-')) || !ReadHex(in, 4, value)) return false;
  guid.Data3 = static_cast<uint16_t>(value);
  if (!Expect(in, W('-'))) return false;
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(in, W('-'))) return false;
    if (!ReadHex(in, 2, value)) return false;
    guid.Data4[i] = static_cast<uint8_t>(value);
  }
  return Expect(in, W('}')) && *in == 0;
}

}  // namespace

extern "C" int StringFromGUID2(REFGUID guid, LPOLESTR text, int maxChars) {
  if (!text || maxChars < kGuidTextChars + 1) return 0;
  FormatGuid(guid, text);
  return kGuidTextChars + 1;
}

extern "C" HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (!text) return E_INVALIDARG;
  *text = nullptr;
  WINAPI_ALLOCATION_POINT(E_OUTOFMEMORY);
  *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextChars + 1) * sizeof(WCHAR)));
  if (!*text) return E_OUTOFMEMORY;
  FormatGuid(clsid, *text);
  return S_OK;
}

extern "C" HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (!clsid) return E_INVALIDARG;
  if (!text) {
    std::memset(clsid, 0, sizeof(*clsid));
    return S_OK;
  }
  GUID parsed{};
  // Text that is not a GUID would name a ProgID; none are registered here.
  if (!ParseGuid(text, parsed)) return CO_E_CLASSSTRING;
  *clsid = parsed;
  return S_OK;
}
