// The DOM document class (CLSID_DOMDocument) over libxml2.
#pragma once

#include <unknwn.h>

namespace winapi::msxml {

// A new, empty document queried for `riid`.
HRESULT CreateDomDocument(REFIID riid, void** out);

}  // namespace winapi::msxml
