// UTF-16 text helpers shared by every component, on both lanes.
// WCHAR is wchar_t on Windows and char16_t on Linux, so wide literals go through
// W("...") and strings are WString; the C library's wide functions are 32-bit on
// Linux and are never used on shared text.
#pragma once

#include <windows.h>

#include <string>

#ifdef _WIN32
#define W(text) L##text
#else
#define W(text) u##text
#endif

using WString = std::basic_string<WCHAR>;

namespace wide {

// Number of UTF-16 units before the terminator; 0 for null.
size_t Length(const WCHAR* text);

// Null-safe copy into a WString.
WString FromPtr(const WCHAR* text);

// Conversions for the console and files; unpaired surrogates become U+FFFD.
std::string ToUtf8(const WCHAR* text, size_t length);
std::string ToUtf8(const WString& text);
WString FromUtf8(const std::string& text);

// Decimal and hexadecimal renderings without the C library's wide printf.
WString FromUnsigned(unsigned long long value);
WString FromSigned(long long value);
WString HexUpper(unsigned long long value, int minDigits);

// ASCII-only case folding, as the system uses for keys and comparisons.
WCHAR LowerAscii(WCHAR c);
WString LowerAscii(const WString& text);
bool EqualsIgnoreCaseAscii(const WString& a, const WString& b);

}  // namespace wide
