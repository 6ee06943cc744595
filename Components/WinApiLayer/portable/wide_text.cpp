#include "wide_text.h"

namespace wide {

size_t Length(const WCHAR* text) {
  if (!text) return 0;
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

WString FromPtr(const WCHAR* text) { return text ? WString(text) : WString(); }

static void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string ToUtf8(const WCHAR* text, size_t length) {
  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    char32_t c = static_cast<char16_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
      char32_t low = static_cast<char16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

std::string ToUtf8(const WString& text) { return ToUtf8(text.data(), text.size()); }

WString FromUtf8(const std::string& text) {
  WString out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    char32_t cp = 0xFFFD;
    size_t extra = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      extra = 3;
    }
    ++i;
    for (size_t k = 0; k < extra; ++k, ++i) {
      if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
        cp = 0xFFFD;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out += static_cast<WCHAR>(0xD800 + (cp >> 10));
      out += static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<WCHAR>(cp > 0x10FFFF ? 0xFFFD : cp);
    }
  }
  return out;
}

WString FromUnsigned(unsigned long long value) {
  WCHAR buffer[24];
  int pos = 23;
  buffer[pos] = 0;
  do {
    buffer[--pos] = static_cast<WCHAR>(W('0') + value % 10);
    value /= 10;
  } while (value);
  return WString(buffer + pos);
}

WString FromSigned(long long value) {
  if (value >= 0) return FromUnsigned(static_cast<unsigned long long>(value));
  return W("-") + FromUnsigned(0ULL - static_cast<unsigned long long>(value));
}

WString HexUpper(unsigned long long value, int minDigits) {
  static const char digits[] = "0123456789ABCDEF";
  WString out;
  do {
    out.insert(out.begin(), static_cast<WCHAR>(digits[value & 0xF]));
    value >>= 4;
  } while (value);
  while (static_cast<int>(out.size()) < minDigits) out.insert(out.begin(), W('0'));
  return out;
}

WCHAR LowerAscii(WCHAR c) { return (c >= W('A') && c <= W('Z')) ? static_cast<WCHAR>(c + 32) : c; }

WString LowerAscii(const WString& text) {
  WString out(text);
  for (auto& c : out) c = LowerAscii(c);
  return out;
}

bool EqualsIgnoreCaseAscii(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

}  // namespace wide
