// Subset of olectl.h for the Linux lane: the connection-point result codes,
// which this layer keeps in winerror.h.
#pragma once

#include "winerror.h"
