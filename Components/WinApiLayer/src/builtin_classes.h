// Classes this library provides itself, as Windows' system DLLs provide theirs
// (the DOM document). The class registry consults them when no class object
// registered with CoRegisterClassObject matches.
#pragma once

#include <unknwn.h>

namespace winapi {

// The built-in class object for `clsid` queried for `riid`; REGDB_E_CLASSNOTREG
// when the library has no such class or `clsContext` excludes in-process servers.
HRESULT GetBuiltinClassObject(REFCLSID clsid, DWORD clsContext, REFIID riid, void** object);

}  // namespace winapi
