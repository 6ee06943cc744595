// What every DOM node answers, whatever object carries it: the document and
// the nodes handed out from it share these.
#pragma once

#include <msxml2.h>

#include "msxml_text.h"

namespace winapi::msxml {

HRESULT GetNodeName(xmlNodePtr node, BSTR* name);
// Elements and documents have no value: VT_NULL and S_FALSE, as MSXML answers.
HRESULT GetNodeValue(xmlNodePtr node, VARIANT* value);
HRESULT GetNodeType(xmlNodePtr node, DOMNodeType* type);
// An element's or document's text is its descendants' text joined, with white
// space trimmed at both ends; other nodes answer their own text.
HRESULT GetNodeText(xmlNodePtr node, BSTR* text);

// XPath relative to `node`: every match, or the first one (S_FALSE and null
// when nothing matches).
HRESULT SelectNodes(const XmlDocRef& doc, xmlNodePtr node, BSTR query, IXMLDOMNodeList** list);
HRESULT SelectSingleNode(const XmlDocRef& doc, xmlNodePtr node, BSTR query, IXMLDOMNode** result);

}  // namespace winapi::msxml
