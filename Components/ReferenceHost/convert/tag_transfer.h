// The tag half of a conversion: what the source's tags hold that an MP3's
// ID3v2 tag can (title, artists, album, genre, track and disc numbers, date,
// comment, ReplayGain and the rest of the common names) and its front cover,
// read and written with TagLib.
#pragma once

#include <string>

// False with the reason when the MP3 could not be written; a source with no
// readable tags gives an MP3 without them, which is no failure.
bool TransferTags(const std::string& source, const std::string& mp3, std::string* problem);
