// Windows Media Device Manager as its clients and its implementations see it.
// The platform's SDK header of this name is not on our build machines, so this
// one declares the interfaces, ids, constants, names and structures that the
// plug-in, the stand-in and the host use, binary-compatibly with the platform.
#pragma once

#include "wmdm_constants.h"
#include "wmdm_guids.h"
#include "wmdm_interfaces.h"
#include "wmdm_names.h"
#include "wmdm_types.h"
