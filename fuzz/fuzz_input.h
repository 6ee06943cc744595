// What every fuzz entry shares: turning the fuzzer's bytes into the text an
// outside input carries, and stopping loudly on a broken promise (a leak the
// sanitizers cannot see, such as a COM reference still held).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <wide_text.h>

namespace fuzz {

// Files come as bytes and are decoded as the host decodes them; texts the host
// hands over directly are UTF-16 units, any units at all, lone surrogates and
// NULs included. An odd last byte is dropped.
inline WString Utf16Units(const uint8_t* data, size_t size) {
  WString text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<WCHAR>(data[i] | (data[i + 1] << 8));
  return text;
}

[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "fuzz: %s\n", what);
  std::abort();
}

inline void Require(bool condition, const char* what) {
  if (!condition) Broken(what);
}

}  // namespace fuzz
