// The plug-in module's own version, as its version resource gives it.
#pragma once

#include <windows.h>

// Reads the fixed file information of the loaded module's version resource.
// Any failing step leaves the outs untouched.
void ReadModuleVersion(DWORD* versionMS, DWORD* versionLS);
