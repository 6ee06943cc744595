// The one naming rule of a player's medium, for every door that names a new
// file, folder or playlist (send, mkdir, rename, a new playlist): what FAT
// and exFAT take, since that is what a player's card or memory carries.
#pragma once

#include <windows.h>

#include <wide_text.h>

namespace wmdm_standin {

// S_OK, or HRESULT_FROM_WIN32(ERROR_INVALID_NAME) for an empty name, one of
// \ / : * ? " < > |, a control character, a lone surrogate, "." or "..", or a
// trailing dot or space (so "../x" and "a/b" are no names);
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) beyond 255 UTF-16 units.
HRESULT CheckPlayerName(const WString& name);

}  // namespace wmdm_standin
