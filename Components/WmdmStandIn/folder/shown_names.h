// The names a player shows for what its folder holds. A client names things
// by paths with "\" between the names, in UTF-16; a Linux file name is bytes,
// which may hold a "\" or not be UTF-8 at all. Such a name is shown escaped,
// and the folder keeps its real bytes so that an edit reaches the real file.
#pragma once

#include <string>

#include <wide_text.h>

namespace wmdm_standin {

// U+29F5 REVERSE SOLIDUS OPERATOR: looks like "\" without being the separator.
inline constexpr WCHAR kShownBackslash = 0x29F5;

// `bytes` as the player shows it: each "\" as kShownBackslash, each byte that
// is not part of well-formed UTF-8 and each control character as
// kShownBackslash, "x" and two hex digits. `faithful` says whether the shown
// name, written back as UTF-8, is `bytes` again.
WString ShownName(const std::string& bytes, bool* faithful);

}  // namespace wmdm_standin
