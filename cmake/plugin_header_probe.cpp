// Compiled only by the check that the plug-in's own headers are out of reach
// of the stand-in's and the host's targets: with their include paths this
// line must not compile.
#include "plugin/kc_wmdm10_plugin.h"
