#include "mdhost/refusal_words.h"

#include <cstdio>

#include <ipp_result_codes.h>

#include "host_support/send_outcome.h"
#include "mdhost/item_report.h"
#include "mdhost/report_text.h"

namespace {

constexpr size_t kLongestName = 255;  // UTF-16 units

std::string Quoted(WCHAR unit) {
  if (unit < 0x20 || unit == 0x7F) {
    char code[40];
    snprintf(code, sizeof(code), "a control character (U+%04X)", static_cast<unsigned>(unit));
    return code;
  }
  return "\"" + wide::ToUtf8(WString(1, unit)) + "\"";
}

bool IsLoneSurrogate(const WString& name, size_t at) {
  const WCHAR unit = name[at];
  if (unit >= 0xD800 && unit <= 0xDBFF) return at + 1 == name.size() || name[at + 1] < 0xDC00 || name[at + 1] > 0xDFFF;
  return unit >= 0xDC00 && unit <= 0xDFFF && (at == 0 || name[at - 1] < 0xD800 || name[at - 1] > 0xDBFF);
}

}  // namespace

std::string FailureWords(HRESULT result) {
  const std::string words = ResultText(result);
  return Hex(result) + (words.empty() ? "" : " (" + words + ")");
}

std::string NameProblem(const WString& name) {
  if (name.empty()) return "the name is empty";
  static const WString kRefused = W("\\/:*?\"<>|");
  for (size_t at = 0; at < name.size(); ++at) {
    const WCHAR unit = name[at];
    if (unit < 0x20 || unit == 0x7F || kRefused.find(unit) != WString::npos)
      return "the name holds " + Quoted(unit) + ", which a player's file system does not allow (none of " +
             wide::ToUtf8(kRefused) + " or control characters)";
    if (IsLoneSurrogate(name, at)) return "the name holds half of a character (a lone UTF-16 surrogate)";
  }
  if (name.back() == W('.') || name.back() == W(' '))
    return std::string("the name ends with a ") + (name.back() == W('.') ? "dot" : "space") +
           ", which a player's file system drops";
  if (name.size() > kLongestName)
    return "the name is " + std::to_string(name.size()) + " characters long (UTF-16 units); a player takes at most " +
           std::to_string(kLongestName);
  return std::string();
}

std::string NameRefusal(const std::string& name) {
  const std::string problem = NameProblem(wide::FromUtf8(name));
  if (problem.empty()) return problem;
  return "cannot name it \"" + wide::EscapeForDisplay(name) + "\": " + problem;
}

std::string SourceNameProblem(const std::string& native) {
  WString decoded;
  size_t bad = 0;
  if (wide::DecodeUtf8(native, &decoded, &bad)) return std::string();
  return "its name is not UTF-8 (byte " + std::to_string(bad) + " of " + wide::EscapeForDisplay(native) +
         "), and the plug-in takes file names as text; rename the file";
}

std::string EditFailureWords(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path,
                             HRESULT result) {
  if (result == IPP_E_FAIL) {
    // A card mounted read-only (its lock switch) refuses every write alike.
    BOOL readOnly = FALSE;
    if (SUCCEEDED(plugin->GetMediaPropertyBool(location.c_str(), W("MediaIsReadOnly"), &readOnly)) && readOnly)
      return Hex(result) + " (the medium is read-only)";
    const size_t slash = path.rfind(W('\\'));
    std::vector<ItemReport> siblings;
    ListItems(plugin, location, slash == WString::npos ? WString() : path.substr(0, slash), &siblings);
    const std::string shown = wide::ToUtf8(path);
    for (const ItemReport& item : siblings)
      if (!item.deletable && wide::EqualsIgnoreCaseAscii(wide::FromUtf8(item.location), path))
        return Hex(result) + " (" + shown + " is read-only on the player)";
  }
  return FailureWords(result);
}
