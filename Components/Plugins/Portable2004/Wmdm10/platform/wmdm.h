// Windows Media Device Manager as the plug-in and the stand-in see it: the
// platform has no such header on our build machines, so these declare its
// interfaces, ids, constants, names and structures binary-compatibly.
#pragma once

#include "platform/wmdm_constants.h"
#include "platform/wmdm_guids.h"
#include "platform/wmdm_interfaces.h"
#include "platform/wmdm_names.h"
#include "platform/wmdm_types.h"
