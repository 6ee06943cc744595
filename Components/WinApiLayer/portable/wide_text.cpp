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

namespace {

// Reads one well-formed sequence at `text[i]` into `cp` and returns its length;
// for an ill-formed one returns 0 and the length of its maximal part (the
// bytes that begin some well-formed sequence), at least 1.
size_t DecodeSequence(const std::string& text, size_t i, char32_t* cp, size_t* illFormed) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  if (lead < 0x80) {
    *cp = lead;
    return 1;
  }
  size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // shorter forms are overlong
    if (lead == 0xED) high = 0x9F;  // D800..DFFF are surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    *illFormed = 1;
    return 0;
  }
  char32_t value = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const size_t at = i + k;
    const unsigned next = at < text.size() ? byte(at) : 0x100;
    const bool fits = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
    if (!fits) {
      *illFormed = k;
      return 0;
    }
    value = (value << 6) | (next & 0x3F);
  }
  *cp = value;
  return length;
}

void AppendUtf16(WString& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<WCHAR>(0xD800 + (cp >> 10));
    out += static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<WCHAR>(cp);
  }
}

// One step through UTF-8 text: a well-formed sequence with its code point, or
// the maximal part of an ill-formed one.
struct Utf8Step {
  size_t offset;
  size_t size;
  bool wellFormed;
  char32_t cp;
};

// Calls `visit` with each step of `text` in order, until it answers false;
// false when it stopped early.
template <typename Visit>
bool ForEachUtf8Step(const std::string& text, Visit visit) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    size_t illFormed = 0;
    const size_t length = DecodeSequence(text, i, &cp, &illFormed);
    const Utf8Step step{i, length ? length : illFormed, length != 0, cp};
    if (!visit(step)) return false;
    i += step.size;
  }
  return true;
}

}  // namespace

WString FromUtf8(const std::string& text) {
  WString out;
  out.reserve(text.size());
  ForEachUtf8Step(text, [&](const Utf8Step& step) {
    AppendUtf16(out, step.wellFormed ? step.cp : 0xFFFD);
    return true;
  });
  return out;
}

bool DecodeUtf8(const std::string& text, WString* out, size_t* badOffset) {
  WString decoded;
  decoded.reserve(text.size());
  const bool whole = ForEachUtf8Step(text, [&](const Utf8Step& step) {
    if (!step.wellFormed) {
      if (badOffset) *badOffset = step.offset;
      return false;
    }
    AppendUtf16(decoded, step.cp);
    return true;
  });
  if (!whole) return false;
  *out = std::move(decoded);
  return true;
}

std::string EscapeForDisplay(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  ForEachUtf8Step(text, [&](const Utf8Step& step) {
    if (step.wellFormed && step.cp >= 0x20 && step.cp != 0x7F) {
      out.append(text, step.offset, step.size);
      return true;
    }
    for (size_t i = step.offset; i < step.offset + step.size; ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 0xF];
    }
    return true;
  });
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

namespace {

bool Between(unsigned unit, unsigned first, unsigned last) { return unit >= first && unit <= last; }

}  // namespace

WCHAR FoldCase(WCHAR original) {
  const unsigned unit = static_cast<unsigned>(original);
  unsigned upper = unit;
  if (Between(unit, 'a', 'z') || (Between(unit, 0xE0, 0xFE) && unit != 0xF7)) upper = unit - 0x20;
  else if (unit < 0x80) upper = unit;
  else if (unit == 0xFF) upper = 0x178;
  else if (unit == 0x131) upper = 'I';  // dotless i
  // Latin Extended-A pairs its letters upper first, lower second, with the
  // pairing shifted by one between U+0139 and U+0148 and from U+0179 on.
  else if (Between(unit, 0x100, 0x137) || Between(unit, 0x14A, 0x177)) upper = unit & 1 ? unit - 1 : unit;
  else if (Between(unit, 0x139, 0x148) || Between(unit, 0x179, 0x17E)) upper = unit & 1 ? unit : unit - 1;
  else if (unit == 0x3C2) upper = 0x3A3;  // final sigma
  else if (Between(unit, 0x3B1, 0x3CB)) upper = unit - 0x20;
  else if (Between(unit, 0x430, 0x44F)) upper = unit - 0x20;
  else if (Between(unit, 0x450, 0x45F)) upper = unit - 0x50;
  else if (Between(unit, 0xFF41, 0xFF5A)) upper = unit - 0x20;
  return static_cast<WCHAR>(upper);
}

WString FoldCase(const WString& text) {
  WString out(text);
  for (auto& c : out) c = FoldCase(c);
  return out;
}

bool EqualsFolded(const WString& a, const WString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

}  // namespace wide
