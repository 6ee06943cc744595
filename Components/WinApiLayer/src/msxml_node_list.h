// The node list selectNodes answers: a snapshot of the matches in document order.
#pragma once

#include <msxml2.h>

#include <vector>

#include "msxml_text.h"

namespace winapi::msxml {

HRESULT CreateDomNodeList(const XmlDocRef& doc, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out);

}  // namespace winapi::msxml
