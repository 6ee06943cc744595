#include "host_support/manifest_file.h"

#include <msxml2.h>

#include "host_support/input_file.h"
#include "platform/com_ptr.h"
#include "settings/manifest_document.h"

WString WithoutXmlDeclaration(const WString& text) {
  const WCHAR kWhiteSpace[] = {W(' '), W('\t'), W('\r'), W('\n'), 0};
  const size_t start = text.find_first_not_of(kWhiteSpace);
  if (start == WString::npos || text.compare(start, 5, W("<?xml")) != 0) return text;
  // "<?xml-stylesheet" and the like are processing instructions, not the declaration.
  if (start + 5 >= text.size() || WString(kWhiteSpace).find(text[start + 5]) == WString::npos) return text;
  const size_t end = text.find(W("?>"), start);
  if (end == WString::npos) return text;
  return text.substr(end + 2);
}

bool ReadManifestFile(const std::string& path, WString* text, std::string* error) {
  std::string bytes;
  if (!ReadInputFile(path, &bytes, error)) return false;
  WString decoded;
  std::string why;
  if (!DecodeTextFile(bytes, &decoded, &why)) {
    *error = ShownName(path) + ": " + why;
    return false;
  }
  *text = WithoutXmlDeclaration(decoded);
  return true;
}

bool CheckManifestParses(const WString& text, const std::string& path, std::string* error) {
  ComPtr<IXMLDOMDocument> parsed;
  if (SUCCEEDED(ParseManifestText(text, &parsed))) return true;
  *error = ShownName(path) + " does not parse: it must be well-formed XML element content (Devices, SkipList)";
  return false;
}
