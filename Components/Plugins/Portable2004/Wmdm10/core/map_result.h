// Turns a platform result into one of the host's result codes. Every host
// operation passes its platform result through here exactly once, at its end.
#pragma once

#include <windows.h>

HRESULT MapResult(HRESULT platformResult);
