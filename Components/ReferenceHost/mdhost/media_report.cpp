#include "mdhost/media_report.h"

#include <iomanip>

#include <unique_bstr.h>
#include <wide_text.h>

#include "mdhost/medium_location.h"
#include "mdhost/report_text.h"

namespace {

const char* const kFlagNames[] = {
    "MediaDownloadableForSDMI",    "MediaCanBeCopySource",       "MediaCanBeDirectlyPlayed",
    "MediaIsReadOnly",             "MediaIsRenamable",           "MediaSupportsFolderInFolder",
    "MediaSupportsFoldersInRoot",  "MediaSupportsFormat",        "MediaSupportsMediaRebuild",
    "MediaSupportsPlaylistReordering", "MediaSupportsPlaylists", "DevSupportsMediaErase",
};
const char* const kNumberNames[] = {"MediaSpaceTotalHi", "MediaSpaceTotalLo", "MediaSpaceUsedHi",
                                    "MediaSpaceUsedLo",  "MediaSpaceFreeHi",  "MediaSpaceFreeLo"};
const char* const kTextNames[] = {"MediaDisplayName"};

MediaReport::Medium ReadMedium(kiMusicDevicePlugin2004* plugin, const WString& location) {
  MediaReport::Medium medium;
  medium.location = wide::ToUtf8(location);
  const WCHAR* at = location.c_str();
  for (const char* name : kTextNames) {
    UniqueBstr value;
    const HRESULT hr = plugin->GetMediaPropertyString(at, wide::FromUtf8(name).c_str(), value.Put());
    medium.properties.push_back({name, hr, wide::ToUtf8(value.ToString()), MediaReport::Property::kText});
  }
  for (const char* name : kNumberNames) {
    LONG value = 0;
    const HRESULT hr = plugin->GetMediaPropertyLong(at, wide::FromUtf8(name).c_str(), &value);
    // The halves are unsigned 32-bit quantities carried in a signed slot.
    medium.properties.push_back(
        {name, hr, std::to_string(static_cast<unsigned long>(static_cast<DWORD>(value))), MediaReport::Property::kNumber});
  }
  for (const char* name : kFlagNames) {
    BOOL value = FALSE;
    const HRESULT hr = plugin->GetMediaPropertyBool(at, wide::FromUtf8(name).c_str(), &value);
    medium.properties.push_back({name, hr, value ? "true" : "false", MediaReport::Property::kFlag});
  }
  return medium;
}

std::string TableValue(const MediaReport::Property& property) {
  if (property.result != S_OK) return "(" + Hex(property.result) + ")";
  if (property.kind == MediaReport::Property::kFlag) return property.value == "true" ? "yes" : "no";
  return property.value;
}

std::string JsonValue(const MediaReport::Property& property) {
  if (property.result != S_OK) return "null";
  return property.kind == MediaReport::Property::kText ? JsonString(property.value) : property.value;
}

}  // namespace

HRESULT ListDeviceNumbers(kiMusicDevicePlugin2004* plugin, std::vector<DWORD>* numbers) {
  DWORD number = 0;
  IPPFINDHANDLE find = nullptr;
  const HRESULT first = plugin->FindFirstDevice(&number, &find);
  if (FAILED(first)) return first;
  if (first == S_OK) {
    numbers->push_back(number);
    while (plugin->FindNextDevice(find, &number) == S_OK) numbers->push_back(number);
    plugin->FindDeviceClose(find);
  }
  return S_OK;
}

MediaReport ReadMediaReport(kiMusicDevicePlugin2004* plugin, DWORD number) {
  MediaReport report;
  report.number = number;
  UniqueBstr name;
  if (plugin->GetDevicePropertyString(number, W("DevDisplayName"), name.Put()) == S_OK)
    report.displayName = wide::ToUtf8(name.ToString());
  std::vector<WString> locations;
  UniqueBstr location;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = plugin->FindFirstMedia(number, location.Put(), &find);
  if (hr == S_OK) {
    locations.push_back(location.ToString());
    while ((hr = plugin->FindNextMedia(find, location.Put())) == S_OK) locations.push_back(location.ToString());
    plugin->FindMediaClose(find);
  }
  report.walk = hr == S_FALSE ? S_OK : hr;
  // The properties are read once the walk is closed, as a host fills its
  // view after listing.
  for (const WString& each : locations) {
    report.media.push_back(ReadMedium(plugin, each));
    report.media.back().shortForm = ShortForm(number, static_cast<DWORD>(report.media.size()));
  }
  return report;
}

void PrintMediaTable(const std::vector<MediaReport>& reports, std::ostream& out) {
  if (reports.empty()) {
    out << "no devices\n";
    return;
  }
  for (const MediaReport& report : reports) {
    out << "Device " << report.number << (report.displayName.empty() ? "" : ": " + report.displayName) << "\n";
    if (report.media.empty()) out << "  no media\n";
    for (const MediaReport::Medium& medium : report.media) {
      out << "  Medium " << medium.location << "  (" << medium.shortForm
          << (medium.folder.empty() ? "" : ", " + medium.folder) << ")\n";
      for (const auto& property : medium.properties)
        out << "    " << std::left << std::setw(34) << property.name << TableValue(property) << "\n";
    }
    if (report.walk != S_OK) out << "  walk of the media ended with " << Hex(report.walk) << "\n";
    out << "\n";
  }
}

void PrintMediaJson(const std::vector<MediaReport>& reports, std::ostream& out) {
  out << "[";
  for (size_t i = 0; i < reports.size(); ++i) {
    const MediaReport& report = reports[i];
    out << (i ? ",\n " : "\n ") << "{\"number\": " << report.number
        << ", \"DevDisplayName\": " << JsonString(report.displayName);
    if (report.walk != S_OK) out << ", \"error\": " << JsonString(Hex(report.walk));
    out << ", \"media\": [";
    for (size_t m = 0; m < report.media.size(); ++m) {
      const MediaReport::Medium& medium = report.media[m];
      out << (m ? ",\n   " : "\n   ") << "{\"location\": " << JsonString(medium.location)
          << ", \"short\": " << JsonString(medium.shortForm);
      if (!medium.folder.empty()) out << ", \"folder\": " << JsonString(medium.folder);
      for (const auto& property : medium.properties)
        out << ", " << JsonString(property.name) << ": " << JsonValue(property);
      out << "}";
    }
    out << (report.media.empty() ? "]}" : "\n ]}");
  }
  out << (reports.empty() ? "]\n" : "\n]\n");
}
