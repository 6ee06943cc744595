// Text and small shared pieces of the DOM over libxml2: libxml2 speaks UTF-8,
// the DOM's callers UTF-16 BSTRs.
#pragma once

#include <oleauto.h>

#include <libxml/tree.h>

#include <memory>
#include <string>

#include <wide_text.h>

namespace winapi::msxml {

// A parsed document, kept alive by the document object and by every node and
// node list handed out from it (MSXML's nodes outlive their document object).
using XmlDocRef = std::shared_ptr<xmlDoc>;
XmlDocRef AdoptXmlDoc(xmlDocPtr doc);

// UTF-8 for libxml2; a null BSTR is the empty text.
std::string ToXmlText(BSTR text);
WString FromXmlText(const xmlChar* text);

// A new BSTR (empty for null text); null only when memory runs out.
BSTR AllocBstr(const WString& text);

// Takes text libxml2 allocated (xmlNodeGetContent and friends) and frees it.
WString TakeXmlText(xmlChar* text);

// The white space XML knows: space, tab, CR, LF (terminated).
extern const WCHAR kXmlWhiteSpace[];

// Removes XML white space from both ends.
WString TrimXmlWhiteSpace(const WString& text);

// The answer of the DOM methods nothing here calls; logs the call.
HRESULT NotImplemented(const char* method);

// Sets up libxml2 once per process for the DOM's use.
void EnsureXmlLibrary();

}  // namespace winapi::msxml
