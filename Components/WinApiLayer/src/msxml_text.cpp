#include "msxml_text.h"

#include <libxml/parser.h>

#include <mutex>

namespace winapi::msxml {

XmlDocRef AdoptXmlDoc(xmlDocPtr doc) { return XmlDocRef(doc, xmlFreeDoc); }

std::string ToXmlText(BSTR text) { return text ? wide::ToUtf8(text, SysStringLen(text)) : std::string(); }

WString FromXmlText(const xmlChar* text) {
  return text ? wide::FromUtf8(reinterpret_cast<const char*>(text)) : WString();
}

BSTR AllocBstr(const WString& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

WString TakeXmlText(xmlChar* text) {
  WString result = FromXmlText(text);
  xmlFree(text);
  return result;
}

const WCHAR kXmlWhiteSpace[] = {W(' '), W('\t'), W('\r'), W('\n'), 0};

WString TrimXmlWhiteSpace(const WString& text) {
  const size_t first = text.find_first_not_of(kXmlWhiteSpace);
  if (first == WString::npos) return WString();
  const size_t last = text.find_last_not_of(kXmlWhiteSpace);
  return text.substr(first, last - first + 1);
}

HRESULT NotImplemented(const char* method) {
  OutputDebugStringW((W("msxml: not implemented: ") + wide::FromUtf8(method) + W("\n")).c_str());
  return E_NOTIMPL;
}

void EnsureXmlLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

}  // namespace winapi::msxml
