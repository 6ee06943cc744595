#include "reports/manifest_report.h"

#include <objbase.h>

#include <iomanip>
#include <nlohmann/json.hpp>

#include <com_ptr.h>

#include "host_support/class_object_registration.h"
#include "host_support/input_file.h"
#include "host_support/manifest_file.h"
#include "host_support/settings_store.h"
#include "settings/kc_portable_manifest.h"
#include "settings/kc_vid_pid_filter.h"

namespace {

using Json = nlohmann::ordered_json;

struct Flag {
  const char* name;
  LONG kcDeviceSettings::*field;
};

const Flag kFlags[] = {
    {"RootSupportsFolders", &kcDeviceSettings::RootSupportsFolders},
    {"SupportsFolders", &kcDeviceSettings::SupportsFolders},
    {"RootAllowsFiles", &kcDeviceSettings::RootAllowsFiles},
    {"FolderAllowsFiles", &kcDeviceSettings::FolderAllowsFiles},
    {"CheckDisplayNameOnDownload", &kcDeviceSettings::CheckDisplayNameOnDownload},
    {"SupportsFormat", &kcDeviceSettings::SupportsFormat},
    {"SupportsPlaylists", &kcDeviceSettings::SupportsPlaylists},
    {"ShowSystemFiles", &kcDeviceSettings::ShowSystemFiles},
};

std::string Utf8(const WString& text) { return wide::ToUtf8(text); }
std::string Quoted(const WString& text) { return "\"" + Utf8(text) + "\""; }
std::string Hex(DWORD value) { return "0x" + Utf8(wide::HexUpper(value, 4)); }

class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

void WriteLine(std::ostream& out, const char* name, const std::string& value) {
  out << "  " << std::left << std::setw(28) << name << value << "\n";
}

void WriteText(const std::string& path, const kcPortableManifest& manifest, const kcVidPidFilter& filter,
               std::ostream& out) {
  out << "manifest " << path << ": " << manifest.Settings().size() << " device records, " << filter.Entries().size()
      << " skip entries\n";
  for (const auto& record : manifest.Settings()) {
    const kcDeviceSettings& settings = *record.second;
    out << "\ndevice " << Utf8(record.first) << "\n";
    for (const Flag& flag : kFlags) WriteLine(out, flag.name, std::to_string(settings.*flag.field));
    WriteLine(out, "AlternateRoot", Quoted(settings.AlternateRoot));
    WriteLine(out, "FriendlyDisplayName", Quoted(settings.FriendlyDisplayName));
    WriteLine(out, "DisplayMfgName", Quoted(settings.DisplayMfgName));
    for (const WString& folder : settings.HiddenFolder) WriteLine(out, "HiddenFolder", Quoted(folder));
  }
  for (const kcSkipEntry& entry : filter.Entries()) {
    out << "\nskip vendor " << Hex(entry.vendorId) << " product " << Hex(entry.productId) << "\n";
    WriteLine(out, "VendorName", Quoted(entry.vendorName));
    WriteLine(out, "ProductName", Quoted(entry.productName));
    WriteLine(out, "Filter", Quoted(entry.filter));
    WriteLine(out, "FriendlyName", Quoted(entry.friendlyName));
  }
}

void WriteJson(const std::string& path, const kcPortableManifest& manifest, const kcVidPidFilter& filter,
               std::ostream& out) {
  Json devices = Json::array();
  for (const auto& record : manifest.Settings()) {
    const kcDeviceSettings& settings = *record.second;
    Json device = {{"key", Utf8(record.first)}};
    for (const Flag& flag : kFlags) device[flag.name] = settings.*flag.field;
    device["AlternateRoot"] = Utf8(settings.AlternateRoot);
    device["FriendlyDisplayName"] = Utf8(settings.FriendlyDisplayName);
    device["DisplayMfgName"] = Utf8(settings.DisplayMfgName);
    device["HiddenFolder"] = Json::array();
    for (const WString& folder : settings.HiddenFolder) device["HiddenFolder"].push_back(Utf8(folder));
    devices.push_back(std::move(device));
  }
  Json skipList = Json::array();
  for (const kcSkipEntry& entry : filter.Entries()) {
    skipList.push_back({{"vendorId", Hex(entry.vendorId)},
                        {"productId", Hex(entry.productId)},
                        {"vendorName", Utf8(entry.vendorName)},
                        {"productName", Utf8(entry.productName)},
                        {"filter", Utf8(entry.filter)},
                        {"friendlyName", Utf8(entry.friendlyName)}});
  }
  out << Json{{"manifest", path}, {"devices", devices}, {"skipList", skipList}}.dump(2) << "\n";
}

}  // namespace

int ReportManifest(const std::string& path, bool json, std::ostream& out, std::string* problem) {
  WString text;
  if (!ReadManifestFile(path, &text, problem)) return 2;
  const ComApartment com;
  if (FAILED(com.Result())) {
    *problem = "cannot initialise COM";
    return 1;
  }
  // The readers say nothing of a manifest they cannot parse, so ask the DOM first.
  if (!CheckManifestParses(text, path, problem)) return 2;
  ComPtr<IUnknown> store;
  if (FAILED(HostSettingsStore::CreateForManifest(text, &store))) {
    *problem = "cannot create the settings store";
    return 1;
  }
  const ClassObjectRegistration registration(CLSID_kcSettingsStore, store.Get());
  if (FAILED(registration.Result())) {
    *problem = "cannot register the settings store";
    return 1;
  }
  // In Initialize's order: the skip list first, then the device settings.
  const kcVidPidFilter filter;
  const kcPortableManifest manifest;
  if (json)
    WriteJson(ShownName(path), manifest, filter, out);
  else
    WriteText(ShownName(path), manifest, filter, out);
  return 0;
}
