#include "host_support/manifest_file.h"

#include <msxml2.h>

#include <com_ptr.h>
#include <msxml_ids.h>
#include <unique_bstr.h>

#include "host_support/input_file.h"

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
  // As the plug-in reads the store's entry: wrapped in a root element, parsed
  // without validation or external resolution.
  const UniqueBstr wrapped(W("<?xml version=\"1.0\"?>\r\n<Overall>\r\n") + text + W("\r\n</Overall>\r\n"));
  ComPtr<IXMLDOMDocument> document;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (SUCCEEDED(CoCreateInstance(CLSID_XmlDomDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                 document.AsVoidOut())) &&
      document && wrapped.Get() && SUCCEEDED(document->put_async(VARIANT_FALSE)) &&
      SUCCEEDED(document->put_validateOnParse(VARIANT_FALSE)) &&
      SUCCEEDED(document->put_resolveExternals(VARIANT_FALSE)) &&
      SUCCEEDED(document->loadXML(wrapped.Get(), &loaded)) && loaded == VARIANT_TRUE)
    return true;
  *error = ShownName(path) + " does not parse: it must be well-formed XML element content (Devices, SkipList)";
  return false;
}
