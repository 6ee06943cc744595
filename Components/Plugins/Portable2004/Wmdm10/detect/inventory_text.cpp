#include "detect/inventory_text.h"

namespace inventory_text {

std::vector<WString> SplitParts(const WString& text, WCHAR separator) {
  std::vector<WString> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == WString::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::vector<WString> SplitWords(const WString& text) {
  std::vector<WString> words;
  for (WString& part : SplitParts(text, W(' ')))
    if (!part.empty()) words.push_back(std::move(part));
  return words;
}

bool Contains(const WString& text, const WString& part) { return text.find(part) != WString::npos; }

bool StartsWithIgnoreCase(const WString& text, const WCHAR* prefix) {
  const size_t length = wide::Length(prefix);
  return text.size() >= length && wide::EqualsIgnoreCaseAscii(text.substr(0, length), WString(prefix, length));
}

WString UpToFirstZero(const WString& text) { return WString(text.c_str()); }

WString Lowered(const WString& text) {
  WString lowered = UpToFirstZero(text);
  if (!lowered.empty()) CharLowerW(&lowered[0]);
  return lowered;
}

WString Clipped(const WString& text, size_t limit) { return text.size() > limit ? text.substr(0, limit) : text; }

}  // namespace inventory_text
