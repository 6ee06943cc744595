// The process-wide table of class objects registered with CoRegisterClassObject.
#pragma once

#include "com_apartment.h"

namespace winapi {

// Releases the class objects an ending apartment registered.
void RevokeApartmentClasses(ApartmentId apartment);

}  // namespace winapi
