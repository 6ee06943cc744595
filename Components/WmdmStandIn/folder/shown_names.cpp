#include "shown_names.h"

namespace wmdm_standin {

WString ShownName(const std::string& bytes, bool* faithful) {
  const std::string escaped = wide::EscapeForDisplay(bytes);
  const std::string shownBackslash = wide::ToUtf8(WString(1, kShownBackslash));
  std::string shown;
  shown.reserve(escaped.size());
  for (char c : escaped) {
    if (c == '\\')
      shown += shownBackslash;
    else
      shown += c;
  }
  *faithful = shown == bytes;
  return wide::FromUtf8(shown);
}

}  // namespace wmdm_standin
