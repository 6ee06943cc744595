// Subset of user32 for the Linux lane.
#pragma once

#include "windef.h"

extern "C" BOOL IsCharAlphaNumericW(WCHAR ch);
extern "C" LPWSTR CharLowerW(LPWSTR textOrChar);
extern "C" BOOL DestroyIcon(HICON icon);
