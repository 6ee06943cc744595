// The item record class is compiled by the host as well as by the plug-in, so
// it lives with the host's interfaces.
#pragma once

#include "host_sdk/kc_ipp_item.h"
