// PlayerView's readings: players, listings a page at a time, tags.
#include <algorithm>
#include <cctype>

#include <ipp_result_codes.h>

#include "convert/mp3_conversion.h"

#include "mdhost/device_report.h"
#include "mdhost/media_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/refusal_words.h"
#include "mdhost/track_sender.h"
#include "serve/player_name.h"
#include "serve/player_view.h"
#include "serve/request_input.h"

namespace {

constexpr DWORD kQuietBeforeRescanMs = 1500;  // longer than the plug-in's worker pass
constexpr size_t kListingsKept = 4;
constexpr unsigned long kMostRows = 1000;     // one page of a listing
constexpr size_t kMostTagRequests = 500;
constexpr LONG kFolderKind = 1, kPlaylistKind = 3;

std::string NameOf(const std::string& location) {
  const std::string track = location.substr(location.find('|') + 1);
  return track.substr(track.rfind('\\') + 1);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

nlohmann::json DeviceProperties(const DeviceReport& device) {
  nlohmann::json properties = nlohmann::json::object();
  for (const auto& flag : device.flags)
    if (flag.result == S_OK) properties[flag.name] = flag.value;
  for (const auto& number : device.numbers)
    if (number.result == S_OK) properties[number.name] = number.value;
  for (const auto& text : device.texts)
    if (text.result == S_OK) properties[text.name] = text.value;
  return properties;
}

nlohmann::json MediumJson(const MediaReport::Medium& medium) {
  nlohmann::json properties = nlohmann::json::object();
  for (const auto& property : medium.properties) {
    if (property.result != S_OK) continue;
    if (property.kind == MediaReport::Property::kText)
      properties[property.name] = property.value;
    else if (property.kind == MediaReport::Property::kFlag)
      properties[property.name] = property.value == "true";
    else
      properties[property.name] = std::stoull(property.value);
  }
  auto bytes = [&](const char* name) {
    const std::string hi = std::string("MediaSpace") + name + "Hi", lo = std::string("MediaSpace") + name + "Lo";
    return (properties.value(hi, 0ull) << 32) | properties.value(lo, 0ull);
  };
  return {{"location", medium.location}, {"short", medium.shortForm}, {"folder", medium.folder},
          {"name", properties.value("MediaDisplayName", std::string())}, {"total", bytes("Total")},
          {"used", bytes("Used")}, {"free", bytes("Free")}, {"properties", properties}};
}

// Folders, then playlists, then tracks; within each, by the key.
bool Before(const ItemReport& a, const ItemReport& b, const std::string& key) {
  if (a.kind != b.kind) return a.kind < b.kind;
  if (key == "size") return a.size < b.size;
  if (key == "track") return a.trackNumber < b.trackNumber;
  if (key == "bitrate") return a.bitrate < b.bitrate;
  if (key == "seconds") return a.duration * (a.durationFromTag ? 1 : 10) < b.duration * (b.durationFromTag ? 1 : 10);
  if (key == "title") return Lower(a.title) < Lower(b.title);
  if (key == "artist") return Lower(a.artist) < Lower(b.artist);
  if (key == "album") return Lower(a.album) < Lower(b.album);
  return Lower(NameOf(a.location)) < Lower(NameOf(b.location));
}

// A playlist's entries keep the playlist's order, which the page reorders.
bool HoldsEntries(const std::vector<ItemReport>& items) {
  return !items.empty() && items.front().order >= 0;
}

bool IsTagKey(const std::string& key) {
  return key == "title" || key == "artist" || key == "album" || key == "track" || key == "seconds" ||
         key == "bitrate";
}

}  // namespace

nlohmann::json ItemJson(const ItemReport& item, bool detailed) {
  nlohmann::json json = {{"kind", KindName(item.kind)}, {"location", item.location},
                         {"name", NameOf(item.location)}, {"size", item.size}, {"deletable", item.deletable}};
  if (item.order >= 0) json["order"] = item.order;
  if (!detailed || item.kind == kFolderKind || item.kind == kPlaylistKind) return json;
  if (item.details != S_OK) {
    json["error"] = "Its tags could not be read: " + FailureWords(item.details) + ".";
    return json;
  }
  json.update({{"title", item.title}, {"artist", item.artist}, {"album", item.album}, {"genre", item.genre},
               {"track", item.trackNumber}, {"bitrate", item.bitrate},
               {"seconds", item.duration > 0 ? std::stod(Seconds(item)) : 0.0}});
  return json;
}

PlayerView::PlayerView(HostSession& session, EventHub& events)
    : session_(session), events_(events), roster_(kQuietBeforeRescanMs) {
  std::vector<DWORD> listed;
  ListDeviceNumbers(session_.Plugin(), &listed);
  roster_.Reset(listed);
  seen_ = session_.Callback().Events().size();
}

bool PlayerView::FindListed(const std::string& text, MediumName* medium, ApiAnswer* refusal) {
  WString decoded;
  size_t bad = 0;
  const std::vector<DWORD> numbers(roster_.Numbers().begin(), roster_.Numbers().end());
  if (wide::DecodeUtf8(text, &decoded, &bad) &&
      FindListedMedium(session_.Plugin(), numbers, session_.Folders(), text, medium) && medium->location == decoded)
    return true;
  *refusal = ApiAnswer::Refused(404, "No player lists the medium \"" + wide::EscapeForDisplay(text) +
                                         "\" now; it may have been unplugged.");
  return false;
}

bool PlayerView::MediumField(const nlohmann::json& body, MediumName* medium, ApiAnswer* refusal) {
  std::string text, error;
  if (!TextField(body, "location", &text, &error)) {
    *refusal = ApiAnswer::Refused(400, error);
    return false;
  }
  return FindListed(text, medium, refusal);
}

// The extensions the host turns into MP3 for this player before sending
// (".flac .ogg"), so that the page does not refuse such a file itself.
std::string PlayerView::Conversions(DWORD device) {
  std::string converts;
  for (const std::string& extension : ConvertedExtensions())
    if (ConvertsForPlayer(session_.Plugin(), device, "a" + extension))
      converts += (converts.empty() ? "" : " ") + extension;
  return converts;
}

ApiAnswer PlayerView::Players() {
  nlohmann::json players = nlohmann::json::array();
  for (DWORD number : roster_.Numbers()) {
    MediaReport media = ReadMediaReport(session_.Plugin(), number);
    const nlohmann::json properties = DeviceProperties(ReadDeviceReport(session_.Plugin(), number));
    auto text = [&](const char* name) { return properties.value(name, std::string()); };
    const PlayerName named =
        NameOfPlayer(media.displayName, text("DevVendorName"), text("DevProductName"), number);
    nlohmann::json player = {{"number", number}, {"name", named.name}, {"maker", named.maker},
                             {"properties", properties}, {"converts", Conversions(number)},
                             {"media", nlohmann::json::array()}};
    for (MediaReport::Medium& medium : media.media) {
      medium.folder = FolderOf(session_.Folders(), wide::FromUtf8(medium.location));
      player["media"].push_back(MediumJson(medium));
    }
    players.push_back(player);
  }
  return ApiAnswer::Ok({{"players", players}});
}

PlayerView::Listing* PlayerView::ListingOf(const WString& location, const WString& path, ApiAnswer* refusal) {
  for (Listing& listing : listings_)
    if (listing.location == location && listing.path == path) return &listing;
  Listing listing{location, path, {}, {}, "name"};
  const HRESULT hr = ListItems(session_.Plugin(), location, path, &listing.items);
  if (FAILED(hr)) {
    *refusal = ApiAnswer::Refused(hr == IPP_E_NOTFOUND ? 404 : 502,
                                  "The player could not list " + wide::ToUtf8(path.empty() ? W("\\") : path) + ": " +
                                      FailureWords(hr) + ".");
    return nullptr;
  }
  listing.detailed.assign(listing.items.size(), false);
  for (ItemReport& item : listing.items) session_.Times().FromListing(TrackOf(wide::FromUtf8(item.location)), &item);
  if (listings_.size() == kListingsKept) listings_.erase(listings_.begin());
  listings_.push_back(std::move(listing));
  if (!HoldsEntries(listings_.back().items)) Sort(listings_.back(), "name");
  return &listings_.back();
}

void PlayerView::Detail(Listing& listing, size_t index) {
  ItemReport& item = listing.items[index];
  if (listing.detailed[index] || item.kind == kFolderKind || item.kind == kPlaylistKind) return;
  AddDetails(session_.Plugin(), listing.location, &session_.Times(), &item);
  listing.detailed[index] = true;
}

void PlayerView::Sort(Listing& listing, const std::string& sort) {
  const bool descending = !sort.empty() && sort[0] == '-';
  const std::string key = descending ? sort.substr(1) : sort;
  if (IsTagKey(key))
    for (size_t i = 0; i < listing.items.size(); ++i) Detail(listing, i);
  std::vector<size_t> order(listing.items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const ItemReport &x = listing.items[a], &y = listing.items[b];
    if (x.kind != y.kind) return x.kind < y.kind;
    return descending ? Before(y, x, key) : Before(x, y, key);
  });
  Listing sorted{listing.location, listing.path, {}, {}, sort};
  for (size_t i : order) {
    sorted.items.push_back(std::move(listing.items[i]));
    sorted.detailed.push_back(listing.detailed[i]);
  }
  listing = std::move(sorted);
}

ApiAnswer PlayerView::List(const std::map<std::string, std::string>& query) {
  auto field = [&](const char* name) {
    const auto found = query.find(name);
    return found == query.end() ? std::string() : found->second;
  };
  MediumName medium;
  ApiAnswer refusal;
  if (!FindListed(field("location"), &medium, &refusal)) return refusal;
  WString path;
  const std::string problem = PathProblem(field("path"), false, &path);
  if (!problem.empty()) return ApiAnswer::Refused(400, problem + ".");
  unsigned long offset = 0, count = 100;
  if ((!field("offset").empty() && !CountText(field("offset"), 999999999, &offset)) ||
      (!field("count").empty() && !CountText(field("count"), kMostRows, &count)))
    return ApiAnswer::Refused(400, "offset and count are whole numbers (count at most 1000).");
  std::string sort = field("sort").empty() ? "name" : field("sort");
  const std::string key = sort[0] == '-' ? sort.substr(1) : sort;
  if (key != "name" && key != "size" && key != "kind" && !IsTagKey(key))
    return ApiAnswer::Refused(400, "A listing sorts by name, size, kind, title, artist, album, track, seconds or bitrate.");
  Listing* listing = ListingOf(medium.location, path, &refusal);
  if (!listing) return refusal;
  if (listing->sort != sort && !HoldsEntries(listing->items)) Sort(*listing, sort);
  nlohmann::json items = nlohmann::json::array();
  for (size_t i = offset; i < listing->items.size() && i < offset + count; ++i)
    items.push_back(ItemJson(listing->items[i], listing->detailed[i]));
  return ApiAnswer::Ok({{"location", field("location")}, {"path", wide::ToUtf8(path)},
                        {"total", listing->items.size()}, {"offset", offset}, {"items", items}});
}
