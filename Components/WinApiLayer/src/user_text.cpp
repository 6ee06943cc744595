// Character classification and lower-casing over the whole Basic Multilingual
// Plane, from the C library's Unicode tables (the UTF-8 C locale) rather than
// the current locale, as Windows' answers do not depend on a locale either.
#include <winuser.h>
#include <wide_text.h>

#include <locale.h>
#include <wctype.h>

namespace {

locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

bool IsSurrogate(WCHAR ch) { return ch >= 0xD800 && ch <= 0xDFFF; }

WCHAR Lower(WCHAR ch) {
  if (ch >= W('A') && ch <= W('Z')) return static_cast<WCHAR>(ch + 32);
  if (ch < 0x80 || IsSurrogate(ch) || !UnicodeLocale()) return ch;
  const wint_t lower = towlower_l(static_cast<wint_t>(ch), UnicodeLocale());
  // Windows maps one UTF-16 unit to one.
  return lower <= 0xFFFF && !IsSurrogate(static_cast<WCHAR>(lower)) ? static_cast<WCHAR>(lower) : ch;
}

}  // namespace

extern "C" BOOL IsCharAlphaNumericW(WCHAR ch) {
  if (ch < 0x80) return (ch >= W('0') && ch <= W('9')) || ((ch | 0x20) >= W('a') && (ch | 0x20) <= W('z'));
  if (IsSurrogate(ch) || !UnicodeLocale()) return FALSE;
  return iswalnum_l(static_cast<wint_t>(ch), UnicodeLocale()) ? TRUE : FALSE;
}

extern "C" LPWSTR CharLowerW(LPWSTR textOrChar) {
  const auto value = reinterpret_cast<uintptr_t>(textOrChar);
  // A pointer whose high bits are zero carries one character in its low word.
  if ((value >> 16) == 0) return reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(Lower(static_cast<WCHAR>(value))));
  for (WCHAR* p = textOrChar; *p; ++p) *p = Lower(*p);
  return textOrChar;
}

// No icon is ever created here; only a real one could be destroyed.
extern "C" BOOL DestroyIcon(HICON icon) { return icon ? TRUE : FALSE; }
