#include "reports/inventory_report.h"

#include <iomanip>
#include <memory>
#include <nlohmann/json.hpp>

#include "detect/kc_device_inventory.h"
#include "host_support/input_file.h"
#include "host_support/reg_file_loader.h"
#include "host_support/registry_sandbox.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Utf8(const WString& text) { return wide::ToUtf8(text); }

// The ids of a REG_MULTI_SZ value, each up to its zero.
std::vector<std::string> HardwareIds(const WString& ids) {
  std::vector<std::string> list;
  size_t start = 0;
  while (start < ids.size()) {
    const size_t end = ids.find(WCHAR(0), start);
    const WString id = ids.substr(start, end == WString::npos ? WString::npos : end - start);
    if (id.empty()) break;
    list.push_back(Utf8(id));
    if (end == WString::npos) break;
    start = end + 1;
  }
  return list;
}

std::string Letter(WCHAR letter) { return letter ? std::string(1, static_cast<char>(letter)) : std::string(); }

std::string HexNumber(DWORD value) { return "0x" + Utf8(wide::HexUpper(value, 8)); }

Json RecordJson(const DeviceInventoryRecord& r) {
  return Json{{"bus", Utf8(r.bus)},
              {"canonicalName", Utf8(r.canonicalName)},
              {"deviceKey", Utf8(r.deviceKey)},
              {"instanceId", Utf8(r.instanceId)},
              {"friendlyName", Utf8(r.friendlyName)},
              {"description", Utf8(r.description)},
              {"manufacturer", Utf8(r.manufacturer)},
              {"vendor", Utf8(r.vendor)},
              {"product", Utf8(r.product)},
              {"revision", Utf8(r.revision)},
              {"driveLetter", Letter(r.driveLetter)},
              {"volumeLabel", Utf8(r.volumeLabel)},
              {"vidPidText", Utf8(r.vidPidText)},
              {"hardwareIds", HardwareIds(r.hardwareIds)},
              {"location", Utf8(r.location)},
              {"service", Utf8(r.service)},
              {"parentIdPrefix", Utf8(r.parentIdPrefix)},
              {"driverKey", Utf8(r.driverKey)},
              {"driver",
               {{"description", Utf8(r.driver.description)},
                {"portablePlayerDriver", Utf8(r.driver.portablePlayerDriver)},
                {"provider", Utf8(r.driver.provider)},
                {"date", Utf8(r.driver.date)},
                {"version", Utf8(r.driver.version)}}},
              {"massStorage", r.massStorage},
              {"present", r.present},
              {"flash", r.flash},
              {"instanceCount", r.instanceCount},
              {"capabilities", r.capabilities}};
}

Json ListCounts(const kcDeviceInventory& inventory) {
  return Json{{"usbDevices", inventory.UsbDevices().size()},
              {"storageFunctions", inventory.StorageDevices().size()},
              {"fireWireDevices", inventory.FireWireDevices().size()},
              {"mountedVolumes", inventory.MountedVolumes().size()},
              {"servicesWithStartedDevices", inventory.Services().size()}};
}

void WriteLine(std::ostream& out, const char* name, const std::string& value) {
  out << "  " << std::left << std::setw(20) << name << value << "\n";
}

std::string Quoted(const WString& text) { return "\"" + Utf8(text) + "\""; }
std::string YesNo(bool value) { return value ? "yes" : "no"; }

void WriteRecord(std::ostream& out, size_t number, const DeviceInventoryRecord& r) {
  out << "device " << number << ": " << Utf8(r.canonicalName) << "\n";
  WriteLine(out, "bus", Utf8(r.bus));
  WriteLine(out, "device key", Utf8(r.deviceKey));
  WriteLine(out, "instance id", Utf8(r.instanceId));
  WriteLine(out, "friendly name", Quoted(r.friendlyName));
  WriteLine(out, "description", Quoted(r.description));
  WriteLine(out, "manufacturer", Quoted(r.manufacturer));
  WriteLine(out, "vendor", Quoted(r.vendor));
  WriteLine(out, "product", Quoted(r.product));
  WriteLine(out, "revision", Quoted(r.revision));
  WriteLine(out, "drive letter", r.driveLetter ? Letter(r.driveLetter) + ":" : "none");
  WriteLine(out, "volume label", Quoted(r.volumeLabel));
  WriteLine(out, "VID/PID text", Utf8(r.vidPidText));
  std::string ids;
  for (const std::string& id : HardwareIds(r.hardwareIds)) ids += (ids.empty() ? "" : " | ") + id;
  WriteLine(out, "hardware ids", ids);
  WriteLine(out, "location", Quoted(r.location));
  WriteLine(out, "service", Utf8(r.service));
  WriteLine(out, "parent id prefix", Utf8(r.parentIdPrefix));
  WriteLine(out, "driver key", Utf8(r.driverKey));
  WriteLine(out, "driver", Quoted(r.driver.description) + ", provider " + Quoted(r.driver.provider) + ", date " +
                               Quoted(r.driver.date) + ", version " + Quoted(r.driver.version));
  WriteLine(out, "player driver", Quoted(r.driver.portablePlayerDriver));
  WriteLine(out, "flags", "mass storage " + YesNo(r.massStorage) + ", present " + YesNo(r.present) + ", flash " +
                              YesNo(r.flash));
  WriteLine(out, "instance count", std::to_string(r.instanceCount));
  WriteLine(out, "capabilities", HexNumber(r.capabilities));
}

std::string SourceText(const std::vector<std::string>& regFiles) {
  if (regFiles.empty()) return "this machine's registry";
  std::string text;
  for (const std::string& file : regFiles) text += (text.empty() ? "" : ", ") + ShownName(file);
  return text;
}

}  // namespace

int ReportInventory(const std::vector<std::string>& regFiles, bool json, std::ostream& out, std::string* problem) {
  std::unique_ptr<RegistrySandbox> sandbox;
  if (!regFiles.empty()) {
    sandbox.reset(new RegistrySandbox());
    if (sandbox->Status() != ERROR_SUCCESS) {
      *problem = "cannot set up a registry sandbox: error " + std::to_string(sandbox->Status());
      return 1;
    }
    RegFileLoader loader(sandbox->CreateOptions());
    for (const std::string& file : regFiles) {
      if (!loader.LoadFile(file)) {
        *problem = loader.Error();
        return 2;
      }
    }
  }
  kcDeviceInventory inventory;
  inventory.Rebuild();
  if (json) {
    Json records = Json::array();
    for (const DeviceInventoryRecord& record : inventory.Records()) records.push_back(RecordJson(record));
    out << Json{{"source", SourceText(regFiles)}, {"read", ListCounts(inventory)}, {"devices", records}}.dump(2)
        << "\n";
    return 0;
  }
  out << "inventory of " << SourceText(regFiles) << ": " << inventory.Records().size() << " devices\n";
  out << "read " << inventory.UsbDevices().size() << " USB devices, " << inventory.StorageDevices().size()
      << " storage functions, " << inventory.FireWireDevices().size() << " FireWire devices, "
      << inventory.MountedVolumes().size() << " mounted volumes, " << inventory.Services().size()
      << " services with started devices\n";
  for (size_t i = 0; i < inventory.Records().size(); ++i) WriteRecord(out, i + 1, inventory.Records()[i]);
  return 0;
}
