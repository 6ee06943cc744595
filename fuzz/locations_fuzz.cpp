// The texts the host hands the plug-in to name things on a device: media
// locations (found against a device list), device and host paths, playlist
// entry identifiers, escaped names. The input is UTF-16 units; a NUL unit
// splits it into a device identity and the text under test.
#include <memory>
#include <vector>

#include "content/locations.h"
#include "core/device_record.h"
#include "core/escape_name.h"
#include "fuzz_input.h"

using namespace locations;

namespace {

std::unique_ptr<DeviceRecord> Record(const WString& identity, bool gone) {
  auto record = std::make_unique<DeviceRecord>();
  record->identity = identity;
  record->gone = gone;
  return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const WString input = fuzz::Utf16Units(data, size);
  const size_t nul = input.find(WCHAR(0));
  const WString identity = nul == WString::npos ? WString() : input.substr(0, nul);
  const WString text = nul == WString::npos ? input : input.substr(nul + 1);

  std::vector<std::unique_ptr<DeviceRecord>> list;
  list.push_back(Record(identity, /*gone=*/true));
  list.push_back(Record(W(""), false));
  list.push_back(Record(W("\\\\?\\USB#Vid_0781&Pid_5150#Player_1"), false));
  list.push_back(Record(identity, false));

  // The host's text, as it comes.
  size_t separator = 0;
  const LONG number = FindDeviceByLocation(text, list, &separator);
  MediaLocationParts parts;
  const bool parsed = ParseMediaLocation(text, &parts);
  fuzz::Require(!parsed || HasMediaPrefix(text), "a location without its prefix parsed");
  fuzz::Require(number == 0 || (parsed && parts.separatorIndex == separator), "a device found in a location that does not parse");
  WString name;
  fuzz::Require(!SplitPath(text, &name).empty(), "a path without a parent");
  PathComponents(text);
  ToHostPath(identity, text);
  WString playlist, track;
  SplitEntryId(identity, text, &playlist, &track);

  // A location made for the identity finds its device and gives the medium
  // name back in lower case.
  if (!identity.empty()) {
    const WString location = ComposeMediaLocation(identity, text);
    separator = 0;
    // The sample identity comes first when the two escape alike.
    const LONG expected = EscapeName(identity) == EscapeName(list[2]->identity) ? 3 : 4;
    fuzz::Require(FindDeviceByLocation(location, list, &separator) == expected, "a composed location that misses its device");
    fuzz::Require(ParseMediaLocation(location, &parts) && parts.separatorIndex == separator &&
                      parts.mediumName == wide::LowerAscii(text),
                  "a composed location that does not split back");
  }
  fuzz::Require(UnescapeName(EscapeName(text)) == wide::LowerAscii(text), "an escaped name that does not come back");
  UnescapeName(text);
  return 0;
}
