// cpp-httplib, included before the Windows-API headers' names: the C
// library's resolver headers it pulls in define DELETE, which winnt's access
// right of the same name then redefines.
#pragma once

#include <httplib.h>

#undef DELETE
