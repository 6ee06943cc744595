// Subset of ole2.h for the Linux lane.
#pragma once

#include "objbase.h"
#include "ocidl.h"

extern "C" HRESULT OleRun(LPUNKNOWN unknown);
