#include "mdhost/item_report.h"

#include <string>

#include <kc_ipp_item.h>
#include <unique_bstr.h>
#include <wide_text.h>

#include "mdhost/play_times.h"
#include "mdhost/report_text.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kPlaylist = 3;

std::string Text(BSTR text) {
  return wide::ToUtf8(UniqueBstr::Adopt(text).ToString());
}

ItemReport FromRecord(kcIPPItem& record) {
  ItemReport item;
  item.kind = record.GetKind();
  item.location = Text(record.GetLocation());
  item.title = Text(record.GetTitle());
  item.album = Text(record.GetAlbum());
  item.artist = Text(record.GetArtist());
  item.genre = Text(record.GetGenre());
  LONG number = 0;
  if (record.GetPropertyLong(W("ItemTrackNumber"), &number)) item.trackNumber = number;
  if (record.GetPropertyLong(W("ItemOrder"), &number)) item.order = number;
  item.bitrate = record.GetBitrate();
  item.duration = record.GetDuration();
  item.size = record.GetSize();
  bool deletable = true;
  if (record.GetPropertyBool(W("ItemDeletable"), &deletable)) item.deletable = deletable;
  return item;
}


}  // namespace

std::string Seconds(const ItemReport& item) {
  const long long perSecond = item.durationFromTag ? 10000 : 1000;
  std::string fraction = std::to_string(perSecond + item.duration % perSecond).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  return std::to_string(item.duration / perSecond) + (fraction.empty() ? "" : "." + fraction);
}

const char* KindName(LONG kind) {
  switch (kind) {
    case kFolder: return "folder";
    case kPlaylist: return "playlist";
    default: return "track";
  }
}

namespace {

void TableLine(const ItemReport& item, const std::string& indent, std::ostream& out) {
  out << indent << KindName(item.kind) << "  " << item.location;
  if (item.order >= 0) out << "  #" << item.order;
  if (item.kind != kFolder && item.kind != kPlaylist) {
    out << "  " << item.size << " bytes";
    if (item.details != S_OK) {
      out << "  (" << Hex(item.details) << ")\n";
      return;
    }
    out << "  \"" << item.title << "\"";
    if (!item.artist.empty()) out << "  " << item.artist;
    if (!item.album.empty()) out << " / " << item.album;
    if (item.trackNumber) out << " #" << item.trackNumber;
    if (!item.genre.empty()) out << "  " << item.genre;
    if (item.bitrate) out << "  " << item.bitrate << " bit/s";
    if (item.duration > 0) out << "  " << Seconds(item) << " s";
  }
  out << "\n";
  for (const ItemReport& entry : item.entries) TableLine(entry, indent + "  ", out);
}

void JsonItem(const ItemReport& item, std::ostream& out) {
  out << "{\"kind\": " << JsonString(KindName(item.kind)) << ", \"location\": " << JsonString(item.location);
  if (item.order >= 0) out << ", \"order\": " << item.order;
  if (item.kind != kFolder && item.kind != kPlaylist) {
    out << ", \"size\": " << item.size;
    if (item.details != S_OK) {
      out << ", \"error\": " << JsonString(Hex(item.details));
    } else {
      out << ", \"title\": " << JsonString(item.title) << ", \"artist\": " << JsonString(item.artist)
          << ", \"album\": " << JsonString(item.album) << ", \"genre\": " << JsonString(item.genre)
          << ", \"track\": " << item.trackNumber << ", \"bitrate\": " << item.bitrate
          << ", \"seconds\": " << (item.duration > 0 ? Seconds(item) : "0");
    }
  }
  if (item.kind == kPlaylist) {
    out << ", \"entries\": [";
    for (size_t i = 0; i < item.entries.size(); ++i) {
      out << (i ? ", " : "");
      JsonItem(item.entries[i], out);
    }
    out << "]";
  }
  out << "}";
}

}  // namespace

void AddDetails(kiMusicDevicePlugin2004* plugin, const WString& location, PlayTimes* times, ItemReport* item) {
  const WString itemLocation = wide::FromUtf8(item->location);
  ItemReport detailed;
  item->details = ReadItem(plugin, location, itemLocation, &detailed);
  if (item->details != S_OK) return;
  times->FromInformation(TrackOf(itemLocation), &detailed);
  detailed.location = item->location;
  detailed.order = item->order;
  *item = detailed;
}

HRESULT ListItems(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& hostPath,
                  std::vector<ItemReport>* items) {
  kcIPPItem record;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = plugin->FindFirstItem(location.c_str(), hostPath.c_str(), &record, &find);
  const HRESULT first = hr;
  while (hr == S_OK) {
    items->push_back(FromRecord(record));
    record.Clear();
    hr = plugin->FindNextItem(find, &record);
  }
  if (find) plugin->FindItemClose(find);
  return FAILED(hr) ? hr : first;
}

HRESULT ReadItem(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path, ItemReport* item) {
  kcIPPItem record;
  const HRESULT hr = plugin->GetItemInformation(location.c_str(), path.c_str(), &record);
  if (hr == S_OK) *item = FromRecord(record);
  return hr;
}

HRESULT ReadShownItem(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& path, PlayTimes* times,
                      ItemReport* item) {
  // The track's folder is listed first, as a browsing host does.
  const WString track = TrackOf(path);
  const size_t slash = track.rfind(W('\\'));
  std::vector<ItemReport> siblings;
  ListItems(plugin, location, slash == WString::npos ? WString() : track.substr(0, slash), &siblings);
  const HRESULT hr = ReadItem(plugin, location, path, item);
  if (hr == S_OK) times->FromInformation(wide::FromUtf8(item->location), item);
  return hr;
}

ListingReport ReadListing(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& hostPath,
                          PlayTimes* times) {
  ListingReport report;
  report.location = wide::ToUtf8(location);
  report.path = wide::ToUtf8(hostPath);
  report.result = ListItems(plugin, location, hostPath, &report.items);
  // Every record is listed before any track's tags are read; each is then
  // replaced by the track's information.
  std::vector<ItemReport*> tracks;
  for (ItemReport& item : report.items) {
    if (item.kind == kPlaylist) {
      ListItems(plugin, location, wide::FromUtf8(item.location), &item.entries);
      for (ItemReport& entry : item.entries) tracks.push_back(&entry);
    } else if (item.kind != kFolder) {
      tracks.push_back(&item);
    }
  }
  for (ItemReport* track : tracks) {
    times->FromListing(TrackOf(wide::FromUtf8(track->location)), track);
    AddDetails(plugin, location, times, track);
  }
  return report;
}

void PrintListingTable(const ListingReport& report, std::ostream& out) {
  out << "Medium " << report.location << "\n" << "Path   " << (report.path.empty() ? "\\" : report.path) << "\n";
  if (FAILED(report.result)) {
    out << "listing failed with " << Hex(report.result) << "\n";
    return;
  }
  if (report.items.empty()) out << "  no items\n";
  for (const ItemReport& item : report.items) TableLine(item, "  ", out);
}

void PrintListingJson(const ListingReport& report, std::ostream& out) {
  out << "{\"location\": " << JsonString(report.location) << ", \"path\": " << JsonString(report.path);
  if (FAILED(report.result)) out << ", \"error\": " << JsonString(Hex(report.result));
  out << ", \"items\": [";
  for (size_t i = 0; i < report.items.size(); ++i) {
    out << (i ? ",\n  " : "\n  ");
    JsonItem(report.items[i], out);
  }
  out << (report.items.empty() ? "]}\n" : "\n]}\n");
}

void PrintItemTable(const ItemReport& item, std::ostream& out) { TableLine(item, "", out); }

void PrintItemJson(const ItemReport& item, std::ostream& out) {
  JsonItem(item, out);
  out << "\n";
}

bool PrintListing(const ListingReport& report, bool json, const char* command, std::ostream& out,
                  std::ostream& errors) {
  if (FAILED(report.result)) {
    errors << "mdhost " << command << ": listing failed with " << Hex(report.result) << "\n";
    return false;
  }
  if (json)
    PrintListingJson(report, out);
  else
    PrintListingTable(report, out);
  return true;
}
