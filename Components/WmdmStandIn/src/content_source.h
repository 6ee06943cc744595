// Reads the file an Insert names on the computer, as the platform copies it
// onto the player.
#pragma once

#include <windows.h>

#include <vector>

#include <wide_text.h>

namespace wmdm_standin {

// The whole file; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when it is not
// there (or is a folder).
HRESULT ReadSourceFile(const WString& path, std::vector<BYTE>* bytes);
// Its size, with the same answer when it is not there.
HRESULT SourceFileSize(const WString& path, ULONGLONG* size);

// The part of a path after its last separator ("\" or "/").
WString FileNameOf(const WString& path);

}  // namespace wmdm_standin
