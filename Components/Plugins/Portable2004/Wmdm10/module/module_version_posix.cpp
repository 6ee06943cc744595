// The module's version resource on Linux, read back by GetPluginVersion through
// the same version API as on Windows.
#include <winapi_version_resource.h>

WINAPI_VERSION_RESOURCE(MD_VERSION_MAJOR, MD_VERSION_MINOR, MD_VERSION_PATCH, MD_VERSION_BUILD)
