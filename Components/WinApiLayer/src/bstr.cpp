// BSTRs laid out as on 64-bit Windows: the text is preceded by its length in
// bytes (a 32-bit value directly before the pointer, itself after 4 bytes of
// padding that keep the text 8-byte aligned) and followed by a terminator.
#include <oleauto.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "allocation_fault.h"

namespace {

constexpr size_t kHeaderBytes = 8;
constexpr size_t kTerminatorBytes = sizeof(WCHAR);

DWORD* ByteLengthOf(BSTR text) { return reinterpret_cast<DWORD*>(text) - 1; }

// Allocates room for `bytes` of text plus a wide terminator; null when the size
// would not fit the 32-bit length prefix.
BSTR Allocate(UINT bytes) {
  if (bytes > UINT_MAX - kHeaderBytes - 2 * kTerminatorBytes) return nullptr;
  // Rounded up so that an odd byte count still gets a whole wide terminator.
  const size_t textBytes = (static_cast<size_t>(bytes) + 1) & ~size_t{1};
  auto* block = static_cast<BYTE*>(std::malloc(kHeaderBytes + textBytes + kTerminatorBytes));
  if (!block) return nullptr;
  auto text = reinterpret_cast<BSTR>(block + kHeaderBytes);
  *ByteLengthOf(text) = bytes;
  std::memset(block + kHeaderBytes + bytes, 0, textBytes + kTerminatorBytes - bytes);
  return text;
}

size_t Length(const OLECHAR* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace

extern "C" BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) {
  WINAPI_ALLOCATION_POINT(nullptr);
  BSTR text = Allocate(length);
  if (!text) return nullptr;
  if (bytes)
    std::memcpy(text, bytes, length);
  else
    std::memset(text, 0, length);
  return text;
}

extern "C" BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  WINAPI_ALLOCATION_POINT(nullptr);
  if (length > (UINT_MAX - kHeaderBytes - 2 * kTerminatorBytes) / sizeof(OLECHAR)) return nullptr;
  // Without text the caller fills the characters in; they start out zero here.
  return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), length * sizeof(OLECHAR));
}

extern "C" BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  WINAPI_ALLOCATION_POINT(nullptr);
  const size_t length = Length(text);
  if (length > UINT_MAX) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

extern "C" INT SysReAllocString(BSTR* target, const OLECHAR* text) {
  if (!target) return FALSE;
  WINAPI_ALLOCATION_POINT(FALSE);
  // Allocated before the old one is freed, so `text` may point into it.
  BSTR replacement = text ? SysAllocString(text) : SysAllocStringLen(nullptr, 0);
  if (!replacement) return FALSE;
  SysFreeString(*target);
  *target = replacement;
  return TRUE;
}

extern "C" INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) {
  if (!target) return FALSE;
  WINAPI_ALLOCATION_POINT(FALSE);
  if (length > (UINT_MAX - kHeaderBytes - 2 * kTerminatorBytes) / sizeof(OLECHAR)) return FALSE;
  BSTR old = *target;
  const UINT oldBytes = SysStringByteLen(old);
  // Text inside the old string is found again by its place once the block
  // may have moved.
  const bool ownText = text && old && text >= old && text <= old + oldBytes / sizeof(OLECHAR);
  const size_t offset = ownText ? static_cast<size_t>(text - old) : 0;
  const UINT bytes = length * sizeof(OLECHAR);
  // Resized in place when the allocator can: a record rewritten item after
  // item keeps its block.
  auto* block = static_cast<BYTE*>(
      std::realloc(old ? reinterpret_cast<BYTE*>(old) - kHeaderBytes : nullptr, kHeaderBytes + bytes + kTerminatorBytes));
  if (!block) return FALSE;
  auto result = reinterpret_cast<BSTR>(block + kHeaderBytes);
  if (ownText)
    std::memmove(result, result + offset, bytes);
  else if (text)
    std::memcpy(result, text, bytes);
  else if (bytes > oldBytes)
    std::memset(reinterpret_cast<BYTE*>(result) + oldBytes, 0, bytes - oldBytes);
  *ByteLengthOf(result) = bytes;
  result[length] = 0;
  *target = result;
  return TRUE;
}

extern "C" UINT SysStringByteLen(BSTR text) { return text ? *ByteLengthOf(text) : 0; }

extern "C" UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

extern "C" void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<BYTE*>(text) - kHeaderBytes);
}
