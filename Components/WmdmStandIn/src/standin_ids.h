// Interface ids of the stand-in's own, by which it recognises the objects it
// handed out when a caller passes them back (playlist entries, metadata).
// Querying one yields the object's first interface, with a reference added,
// from which the C++ object is reached with static_cast.
#pragma once

#include <com_iid.h>

namespace wmdm_standin {

DEFINE_PORTABLE_GUID(IID_IStandInStorage, 0x5A0E4C1B, 0x8D2F, 0x4E6A, 0x9B, 0x71, 0x3C, 0x2D, 0x5E, 0x8F, 0x1A, 0x04)
DEFINE_PORTABLE_GUID(IID_IStandInMetaData, 0x5A0E4C1B, 0x8D2F, 0x4E6A, 0x9B, 0x71, 0x3C, 0x2D, 0x5E, 0x8F, 0x1A, 0x05)

}  // namespace wmdm_standin
