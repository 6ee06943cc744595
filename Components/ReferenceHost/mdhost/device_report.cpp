#include "mdhost/device_report.h"

#include <iomanip>

#include <unique_bstr.h>
#include <unique_safearray.h>

#include "mdhost/report_text.h"

namespace {

const char* const kFlagNames[] = {
    "DevCanBeCopySource",
    "DevIsRenamable",
    "DevSupportsPlaylists",
    "DeviceSupportsMetadataFieldAlbum",
    "DeviceSupportsMetadataFieldArtist",
    "DeviceSupportsMetadataFieldBitrate",
    "DeviceSupportsMetadataFieldFileSize",
    "DeviceSupportsMetadataFieldGenre",
    "DeviceSupportsMetadataFieldTrackName",
    "DeviceSupportsMetadataFieldRanking",
};
const char* const kNumberNames[] = {"DevMediaCount"};
const char* const kTextNames[] = {
    "DevDisplayName", "DevVendorName",     "DevProductName",            "DevFirmwareRevision",
    "DevUniqueID",    "DeviceDriveLetter", "DeviceSupportedFileFormats",
};
const char* const kAudioTypes[] = {"mp3", "wma", "wav"};

std::string RatesText(const DeviceReport::Rates& rates) {
  if (rates.result != S_OK) return "none (" + Hex(rates.result) + ")";
  std::string text;
  for (LONG rate : rates.rates) text += (text.empty() ? "" : " ") + std::to_string(rate);
  if (rates.everyRate) text += text.empty() ? "every rate" : " and every rate";
  return text.empty() ? "-" : text;
}

}  // namespace

DeviceReport ReadDeviceReport(kiMusicDevicePlugin2004* plugin, DWORD number) {
  DeviceReport report;
  report.number = number;
  for (const char* name : kFlagNames) {
    BOOL value = FALSE;
    const HRESULT hr = plugin->GetDevicePropertyBool(number, wide::FromUtf8(name).c_str(), &value);
    report.flags.push_back({name, hr, value != FALSE});
  }
  for (const char* name : kNumberNames) {
    LONG value = 0;
    const HRESULT hr = plugin->GetDevicePropertyLong(number, wide::FromUtf8(name).c_str(), &value);
    report.numbers.push_back({name, hr, value});
  }
  ULONG icon = 0;
  const HRESULT iconResult = plugin->GetDevicePropertyIcon(number, 0, &icon);
  report.numbers.push_back({"Icon", iconResult, static_cast<LONG>(icon)});
  for (const char* name : kTextNames) {
    UniqueBstr value;
    const HRESULT hr = plugin->GetDevicePropertyString(number, wide::FromUtf8(name).c_str(), value.Put());
    report.texts.push_back({name, hr, wide::ToUtf8(value.ToString())});
  }
  for (const char* type : kAudioTypes) {
    UniqueSafeArray array;
    BOOL every = FALSE;
    const HRESULT hr = plugin->GetSupportedBitrates(number, wide::FromUtf8(type).c_str(), array.Put(), &every);
    DeviceReport::Rates rates{type, hr, {}, every != FALSE};
    if (array) {
      ScopedSafeArrayAccess<LONG> data(array.Get());
      if (data) rates.rates.assign(data.Data(), data.Data() + array.Count());
    }
    report.bitrates.push_back(rates);
  }
  return report;
}

void PrintReportTable(const std::vector<DeviceReport>& reports, std::ostream& out) {
  if (reports.empty()) {
    out << "no devices\n";
    return;
  }
  for (const DeviceReport& report : reports) {
    out << "Device " << report.number << "\n";
    auto row = [&out](const std::string& name, const std::string& value) {
      out << "  " << std::left << std::setw(38) << name << value << "\n";
    };
    for (const auto& text : report.texts)
      row(text.name, text.result == S_OK ? text.value : "(" + Hex(text.result) + ")");
    for (const auto& number : report.numbers)
      row(number.name, number.result == S_OK ? std::to_string(number.value) : "(" + Hex(number.result) + ")");
    for (const auto& flag : report.flags)
      row(flag.name, flag.result == S_OK ? (flag.value ? "yes" : "no") : "(" + Hex(flag.result) + ")");
    for (const auto& rates : report.bitrates) row("Bit rates " + rates.type, RatesText(rates));
    out << "\n";
  }
}

void PrintReportJson(const std::vector<DeviceReport>& reports, std::ostream& out) {
  out << "[";
  for (size_t i = 0; i < reports.size(); ++i) {
    const DeviceReport& report = reports[i];
    out << (i ? ",\n " : "\n ") << "{\"number\": " << report.number;
    for (const auto& text : report.texts)
      out << ", " << JsonString(text.name) << ": " << (text.result == S_OK ? JsonString(text.value) : "null");
    for (const auto& number : report.numbers)
      out << ", " << JsonString(number.name) << ": "
          << (number.result == S_OK ? std::to_string(number.value) : std::string("null"));
    for (const auto& flag : report.flags)
      out << ", " << JsonString(flag.name) << ": "
          << (flag.result == S_OK ? (flag.value ? "true" : "false") : "null");
    out << ", \"bitrates\": {";
    for (size_t r = 0; r < report.bitrates.size(); ++r) {
      const auto& rates = report.bitrates[r];
      out << (r ? ", " : "") << JsonString(rates.type) << ": ";
      if (rates.result != S_OK) {
        out << "null";
        continue;
      }
      out << "{\"rates\": [";
      for (size_t k = 0; k < rates.rates.size(); ++k) out << (k ? ", " : "") << rates.rates[k];
      out << "], \"everyRate\": " << (rates.everyRate ? "true" : "false") << "}";
    }
    out << "}}";
  }
  out << (reports.empty() ? "]\n" : "\n]\n");
}
