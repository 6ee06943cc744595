// Compiled only by the check that the plug-in's production code cannot reach
// the host's support code: with the plug-in's include paths this line must
// not compile.
#include "host_support/host_callback.h"
