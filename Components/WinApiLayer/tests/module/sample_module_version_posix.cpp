#include <winapi_version_resource.h>

WINAPI_VERSION_RESOURCE(1, 2, 3, 4)
