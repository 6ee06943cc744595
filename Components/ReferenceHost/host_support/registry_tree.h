// Deletes a key with everything below it (RegDeleteTree is newer than the
// calls this project relies on).
#pragma once

#include <windows.h>

#include <wide_text.h>

LSTATUS DeleteRegistryTree(HKEY parent, const WString& path);
