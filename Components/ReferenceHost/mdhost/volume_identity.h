// Which volume a player's folder lives on, so that what a sync remembers of
// a card follows the card and not the folder it happens to be mounted at.
#pragma once

#include <string>

// "uuid:UUID/PATH" from the file system's UUID (a FAT or exFAT volume's
// serial), or "label:LABEL/PATH" when it has none, where PATH is the folder
// inside the volume ("/" for a card's root); empty when the folder's file
// system has neither (tmpfs) or cannot be told.
std::string VolumeIdentity(const std::string& folder);
