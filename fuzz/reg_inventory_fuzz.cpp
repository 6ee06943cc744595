// A registry export (.reg) loaded as the host loads one, into sandboxed
// roots, then the device inventory built over what was loaded and every
// record it made looked up again by the names it gave it.
#include <windows.h>

#include <array>

#include "detect/kc_device_inventory.h"
#include "fuzz_input.h"
#include "host_support/input_file.h"
#include "host_support/reg_file_loader.h"
#include "host_support/registry_sandbox.h"

namespace {

// Every root a file may name is a sandbox, made once for the whole run and
// emptied after each input, so that nothing one input writes is left for
// the next. The current user's comes last: the others live below it.
struct Sandboxes {
  RegistrySandbox machine{HKEY_LOCAL_MACHINE}, classes{HKEY_CLASSES_ROOT}, users{HKEY_USERS},
      config{HKEY_CURRENT_CONFIG}, user{HKEY_CURRENT_USER};

  Sandboxes() {
    for (const RegistrySandbox* sandbox : All()) fuzz::Require(sandbox->Status() == ERROR_SUCCESS, "no registry sandbox");
  }
  std::array<RegistrySandbox*, 5> All() { return {&machine, &classes, &users, &config, &user}; }
  void Clear() {
    for (RegistrySandbox* sandbox : All())
      fuzz::Require(sandbox->Clear() == ERROR_SUCCESS, "a registry sandbox that does not empty");
  }
};

void LoadAndInventory(const WString& text, DWORD createOptions) {
  RegFileLoader loader(createOptions);
  if (!loader.LoadText(text, "input")) fuzz::Require(!loader.Error().empty(), "a refused file without a reason");

  // Whatever part of the file loaded is a machine the inventory must read.
  kcDeviceInventory inventory;
  inventory.Rebuild();
  for (const DeviceInventoryRecord& record : inventory.Records()) {
    DeviceInventoryRecord found;
    inventory.FindRecordByName(record.canonicalName, found, true);
    inventory.FindRecordByName(record.friendlyName, found, false);
    inventory.DriveLetterForIdentity(record.canonicalName);
    WString manufacturer;
    inventory.ManufacturerForDriveLetter(record.driveLetter, manufacturer);
    if (record.driveLetter != 0)
      fuzz::Require(inventory.FindRecordByDriveLetter(record.driveLetter, found), "a drive letter that finds nothing");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Sandboxes sandboxes;
  WString text;
  std::string error;
  if (!DecodeTextFile(std::string(reinterpret_cast<const char*>(data), size), &text, &error)) return 0;
  LoadAndInventory(text, sandboxes.machine.CreateOptions());
  sandboxes.Clear();
  return 0;
}
