#include "settings/hex_scan.h"

namespace {

bool IsBlank(WCHAR c) { return c == W(' ') || (c >= W('\t') && c <= W('\r')); }

int HexDigit(WCHAR c) {
  if (c >= W('0') && c <= W('9')) return c - W('0');
  if (c >= W('a') && c <= W('f')) return c - W('a') + 10;
  if (c >= W('A') && c <= W('F')) return c - W('A') + 10;
  return -1;
}

}  // namespace

DWORD ScanHex(const WString& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == W('+') || text[i] == W('-'))) negative = text[i++] == W('-');
  if (i + 1 < text.size() && text[i] == W('0') && (text[i + 1] == W('x') || text[i + 1] == W('X'))) i += 2;
  DWORD value = 0;
  for (int digit; i < text.size() && (digit = HexDigit(text[i])) >= 0; ++i)
    value = (value << 4) | static_cast<DWORD>(digit);
  return negative ? 0u - value : value;
}
