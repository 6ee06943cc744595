// Text rules the device inventory applies to registry names and values.
#pragma once

#include <vector>

#include <wide_text.h>

namespace inventory_text {

// The parts between separators, empty ones included ("a##b" gives a, "", b).
std::vector<WString> SplitParts(const WString& text, WCHAR separator);
// The words between spaces; runs of spaces give no empty words.
std::vector<WString> SplitWords(const WString& text);
// Case-sensitive search; every text contains the empty one.
bool Contains(const WString& text, const WString& part);
// The first characters of `text` equal `prefix` without regard to case.
bool StartsWithIgnoreCase(const WString& text, const WCHAR* prefix);
// The text before its first zero character.
WString UpToFirstZero(const WString& text);
// Lower-cased by CharLowerW, which stops at the first zero character.
WString Lowered(const WString& text);
// At most `limit` characters, as a fixed buffer of limit + 1 would hold.
WString Clipped(const WString& text, size_t limit);

}  // namespace inventory_text
