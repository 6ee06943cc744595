#include "content/escape_name.h"

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
