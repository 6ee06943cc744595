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

// UTF-8 as the Unicode standard defines it: overlong forms, encoded
// surrogates, code points above U+10FFFF and truncated sequences are
// ill-formed. FromUtf8 turns each maximal ill-formed part into one U+FFFD, as
// the platform's decoders do; DecodeUtf8 refuses the text instead and reports
// the offset of its first ill-formed byte.
WString FromUtf8(const std::string& text);
bool DecodeUtf8(const std::string& text, WString* out, size_t* badOffset);
// The bytes with each one that is not part of well-formed UTF-8, and each
// control character, written as \xNN: a name that may not be UTF-8 (a file
// name) made safe to show on one line.
std::string EscapeForDisplay(const std::string& text);

// Decimal and hexadecimal renderings without the C library's wide printf.
WString FromUnsigned(unsigned long long value);
WString FromSigned(long long value);
WString HexUpper(unsigned long long value, int minDigits);

// ASCII-only case folding, as the system uses for keys and comparisons.
WCHAR LowerAscii(WCHAR c);
WString LowerAscii(const WString& text);
bool EqualsIgnoreCaseAscii(const WString& a, const WString& b);

// Case folding as the cards players carry compare names: each UTF-16 unit
// to its simple upper-case mapping in the scripts names are mostly written
// in (Latin-1, Latin Extended-A, Greek, Cyrillic, fullwidth Latin), as
// exFAT's up-case table maps them; other units are left as they are.
WCHAR FoldCase(WCHAR c);
WString FoldCase(const WString& text);
bool EqualsFolded(const WString& a, const WString& b);

}  // namespace wide
