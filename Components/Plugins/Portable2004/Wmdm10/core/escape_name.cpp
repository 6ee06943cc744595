#include "core/escape_name.h"

#include <winuser.h>

WString EscapeName(const WString& text) {
  WString escaped;
  escaped.reserve(text.size());
  for (WCHAR unit : text) {
    if (IsCharAlphaNumericW(unit)) {
      escaped += unit;
    } else {
      escaped += W('|');
      escaped += wide::LowerAscii(wide::HexUpper(static_cast<unsigned>(unit), 4));
    }
  }
  return wide::LowerAscii(escaped);
}

namespace {

int HexDigit(WCHAR unit) {
  if (unit >= W('0') && unit <= W('9')) return unit - W('0');
  if (unit >= W('a') && unit <= W('f')) return unit - W('a') + 10;
  return -1;
}

// The unit a "|" at `at` stands for, or -1 when four hex digits do not follow.
long EscapedUnit(const WString& text, size_t at) {
  if (text.size() - at < 5) return -1;
  long unit = 0;
  for (size_t i = at + 1; i < at + 5; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

}  // namespace

WString UnescapeName(const WString& text) {
  WString plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const long unit = text[i] == W('|') ? EscapedUnit(text, i) : -1;
    if (unit < 0) {
      // A "|" without its four digits is no escape: it stays as written.
      plain += text[i];
    } else {
      plain += static_cast<WCHAR>(unit);
      i += 4;
    }
  }
  return wide::LowerAscii(plain);
}
