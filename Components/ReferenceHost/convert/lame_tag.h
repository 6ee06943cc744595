// libavformat's MP3 writer fills the LAME tag of the first (Xing/Info) frame
// with the encoder delay and padding, but signs it with its own name
// ("Lavf"), and readers that trust the delay and padding only under LAME's
// name (taggers, many players) then count the padding as music and play
// the track two frames long. The frames are LAME's own, so the tag is
// signed with LAME's version and method and its CRC made again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// On the bytes of a file that starts with its first MP3 frame; false when
// they hold no such tag.
bool SignLameTag(std::vector<uint8_t>* head, bool variableBitRate);

// The same on the file at `path`.
bool SignLameTagOf(const std::string& path, bool variableBitRate);
