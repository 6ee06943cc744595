// Prints what a WMDM device manager shows of its players: each device's
// facts, its media with their space and status, and every medium's storage
// tree with attributes, sizes, tags and playlist entries. Everything is read
// through the WMDM interfaces, as a client of the platform sees it.
#pragma once

#include <ostream>

#include <mswmdm.h>

// The result of the first WMDM call that failed, S_OK when everything could
// be read (single storages that cannot be read are shown as such and do not
// count as failures).
HRESULT PrintPlayers(IWMDeviceManager* manager, std::ostream& out);
