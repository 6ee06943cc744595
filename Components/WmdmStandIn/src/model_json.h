// Players described in a JSON text, for hosts and the demo. The format, by
// example (numbers may also be written as "0x..." strings; flag sets as a
// number or a list of names; bytes, as in "serial" and "content", as two
// hexadecimal digits each with nothing between or around them):
//
//   { "chaos": { "seed": 7, "kinds": ["busy", "early-end"] },   (left out: none; see chaos.h)
//     "formats": { "mp3-128": { "tag": "0x55", "channels": 2, "samplesPerSec": 44100,
//                               "avgBytesPerSec": 16000, "blockAlign": 1, "bitsPerSample": 16 } },
//     "players": [ {
//       "name": "...", "personality": "mtp",          (left out: "mass-storage")
//       "storagesAsDevices": true,                    (left out: false; each medium a device of its own)
//       "staleAsFileErrors": true,                    (left out: false; a mass-storage player's stale
//                                                      objects answer "file/path not found")
//       "manufacturer": "...", "version": 260, "vendorId": "0x0BDA",
//       "type": ["playback", "storage", "nonsdmi"], "serial": "0A1B2C", "icon": 101,
//       "canonicalName": "\\\\?\\usb#...$0",        (left out: the player has none)
//       "waveFormats": ["mp3-128", {...}], "mimeTypes": ["audio/mpeg"],
//       "formatsSupported": ["0x3009", "0xB901"],    (left out: no such property)
//       "tagsSupported": ["WMDM/Title", "WMDM/Track"], (left out: every tag; an MTP player refuses others)
//       "connected": true,
//       "media": [ { "name": "Internal Memory", "totalSize": 1073741824, "removable": false,
//                    "status": ["ready"], "capabilities": ["foldersInRoot", ...], "serial": "01",
//                    "items": [
//         { "folder": "Music", "hidden": false, "system": false, "items": [ ... ] },
//         { "file": "a.mp3", "size": 4200000, "format": "mp3-128", "date": "2004-06-01 12:00:00",
//           "tags": { "WMDM/Title": "A", "WMDM/Track": 1, "WMDM/Duration": 2620000000 } },
//         { "playlist": "Run.pla", "entries": ["\\Music\\a.mp3"] } ] } ] } ] }
//
// Tag values take the platform's type of the tag's name ("WMDM/Duration" is a
// 64-bit number); a tag the stand-in does not know, or a value of another
// type, is written { "type": "qword", "value": 1 }.
#pragma once

#include <string>

#include <wide_text.h>

#include "player_model.h"

namespace wmdm_standin {

// Adds the described players to `model`; false with a message naming the
// offending entry when the text does not describe players (the players read
// before it stay in the model).
bool LoadPlayers(PlayerModel& model, const std::string& text, std::string* error);
bool LoadPlayersFile(PlayerModel& model, const WString& path, std::string* error);

// One player's facts, written as one entry of "players" (its own "formats"
// allowed beside them): the device, and the first medium's name, removability,
// status, capabilities and serial (no size, no items). `medium` is left as it
// was when no medium is described.
bool ParsePlayerFacts(const std::string& text, DeviceDescription* device, MediumDescription* medium,
                      std::string* error);

// The platform's type of a metadata tag, by its name; strings for names it
// does not know.
WMDM_TAG_DATATYPE TagTypeOf(const WString& name);

}  // namespace wmdm_standin
