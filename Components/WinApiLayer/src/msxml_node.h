// A node of a parsed document as the DOM hands it out.
#pragma once

#include "msxml_text.h"

namespace winapi::msxml {

// Wraps `node` (kept alive through `doc`) and queries the wrapper for `riid`.
// Every node answers IXMLDOMNode; elements also IXMLDOMElement.
HRESULT CreateDomNode(const XmlDocRef& doc, xmlNodePtr node, REFIID riid, void** out);

}  // namespace winapi::msxml
