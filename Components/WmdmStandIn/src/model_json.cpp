#include "model_json.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unordered_set>
#include <vector>

namespace wmdm_standin {
namespace {

// Keys keep their written order: a device reports its tags in its own order.
using Json = nlohmann::ordered_json;

// Errors carry the path of the entry at fault, e.g. players[0].media[1].
class DescriptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) { throw DescriptionError(where + ": " + what); }

// Deeper than any description needs (a folder takes two levels), and shallow
// enough for the parser and the loader's walk of folders.
constexpr int kMaxNesting = 128;

// A value as a message shows it: never the whole of a long one.
std::string Shown(const Json& value) {
  switch (value.type()) {
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "a list";
    case Json::value_t::string: {
      const std::string& text = value.get_ref<const std::string&>();
      // Cut at a byte, the text may end in half a character: that half is replaced.
      const auto quoted = [](const std::string& part) { return Json(part).dump(-1, ' ', false, Json::error_handler_t::replace); };
      if (text.size() <= 40) return quoted(text);
      return quoted(text.substr(0, 40)) + "... (" + std::to_string(text.size()) + " bytes)";
    }
    default: return value.dump();
  }
}

const Json* Find(const Json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

const Json& Field(const Json& object, const char* key, const std::string& where) {
  const Json* found = Find(object, key);
  if (!found) Fail(where, std::string("\"") + key + "\" is missing");
  return *found;
}

// The list under `key`, empty when the key is absent; anything but a list is an error.
const Json& List(const Json& object, const char* key, const std::string& where) {
  static const Json empty = Json::array();
  const Json* found = Find(object, key);
  if (!found) return empty;
  if (!found->is_array()) Fail(where + "." + key, "expected a list, got " + Shown(*found));
  return *found;
}

bool Flag(const Json& object, const char* key, bool absent, const std::string& where) {
  const Json* found = Find(object, key);
  if (!found) return absent;
  if (!found->is_boolean()) Fail(where + "." + key, "expected true or false, got " + Shown(*found));
  return found->get<bool>();
}

// The value of a hexadecimal digit; 16 for any other character.
unsigned HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 16;
}

// Digits only ("0x" for hexadecimal): a sign, spaces or a wrap past 64 bits are errors.
bool ParseUnsigned(const std::string& text, ULONGLONG* number) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const unsigned base = hex ? 16 : 10;
  size_t i = hex ? 2 : 0;
  if (i >= text.size()) return false;
  ULONGLONG value = 0;
  for (; i < text.size(); ++i) {
    const unsigned digit = HexDigit(text[i]);
    if (digit >= base || value > (~0ULL - digit) / base) return false;
    value = value * base + digit;
  }
  *number = value;
  return true;
}

ULONGLONG Number(const Json& value, const std::string& where, ULONGLONG most = ~0ULL) {
  ULONGLONG number = 0;
  bool read = false;
  if (value.is_number_unsigned()) {
    number = value.get<ULONGLONG>();
    read = true;
  } else if (value.is_number_integer() && value.get<long long>() >= 0) {
    number = static_cast<ULONGLONG>(value.get<long long>());
    read = true;
  } else if (value.is_string()) {
    read = ParseUnsigned(value.get_ref<const std::string&>(), &number);
  }
  if (!read) Fail(where, "expected a number from 0 up, got " + Shown(value));
  if (number > most) Fail(where, Shown(value) + " is larger than " + std::to_string(most));
  return number;
}

WString Text(const Json& value, const std::string& where) {
  if (!value.is_string()) Fail(where, "expected a text, got " + Shown(value));
  return wide::FromUtf8(value.get<std::string>());
}

// Two digits a byte and nothing else: no spaces, signs or "0x".
bool ParseHexBytes(const std::string& text, std::vector<BYTE>* bytes) {
  if (text.size() % 2 != 0) return false;
  std::vector<BYTE> parsed;
  parsed.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const unsigned high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high > 15 || low > 15) return false;
    parsed.push_back(static_cast<BYTE>(high << 4 | low));
  }
  *bytes = std::move(parsed);
  return true;
}

std::vector<BYTE> Hex(const Json& value, const std::string& where) {
  std::vector<BYTE> bytes;
  if (!value.is_string() || !ParseHexBytes(value.get_ref<const std::string&>(), &bytes))
    Fail(where, "expected hexadecimal bytes, got " + Shown(value));
  return bytes;
}

using FlagNames = std::map<std::string, DWORD>;

DWORD Flags(const Json& value, const FlagNames& names, const std::string& where) {
  if (!value.is_array()) return static_cast<DWORD>(Number(value, where, 0xFFFFFFFFu));
  DWORD flags = 0;
  for (const Json& name : value) {
    auto found = name.is_string() ? names.find(name.get<std::string>()) : names.end();
    if (found == names.end()) Fail(where, "unknown flag " + Shown(name));
    flags |= found->second;
  }
  return flags;
}

const FlagNames kDeviceTypes = {
    {"playback", WMDM_DEVICE_TYPE_PLAYBACK}, {"record", WMDM_DEVICE_TYPE_RECORD},
    {"decode", WMDM_DEVICE_TYPE_DECODE},     {"encode", WMDM_DEVICE_TYPE_ENCODE},
    {"storage", WMDM_DEVICE_TYPE_STORAGE},   {"virtual", WMDM_DEVICE_TYPE_VIRTUAL},
    {"sdmi", WMDM_DEVICE_TYPE_SDMI},         {"nonsdmi", WMDM_DEVICE_TYPE_NONSDMI},
    {"nonreentrant", WMDM_DEVICE_TYPE_NONREENTRANT}, {"filelistresync", WMDM_DEVICE_TYPE_FILELISTRESYNC},
    {"viewPrefMetadataView", WMDM_DEVICE_TYPE_VIEW_PREF_METADATAVIEW},
};

const FlagNames kStatus = {
    {"ready", WMDM_STATUS_READY},
    {"busy", WMDM_STATUS_BUSY},
    {"deviceNotPresent", WMDM_STATUS_DEVICE_NOTPRESENT},
    {"storageNotPresent", WMDM_STATUS_STORAGE_NOTPRESENT},
    {"storageInitializing", WMDM_STATUS_STORAGE_INITIALIZING},
    {"storageBroken", WMDM_STATUS_STORAGE_BROKEN},
    {"storageNotSupported", WMDM_STATUS_STORAGE_NOTSUPPORTED},
    {"storageUnformatted", WMDM_STATUS_STORAGE_UNFORMATTED},
};

const FlagNames kCapabilities = {
    {"foldersInRoot", WMDM_STORAGECAP_FOLDERSINROOT},       {"filesInRoot", WMDM_STORAGECAP_FILESINROOT},
    {"foldersInFolders", WMDM_STORAGECAP_FOLDERSINFOLDERS}, {"filesInFolders", WMDM_STORAGECAP_FILESINFOLDERS},
    {"folderLimitExists", WMDM_STORAGECAP_FOLDERLIMITEXISTS}, {"fileLimitExists", WMDM_STORAGECAP_FILELIMITEXISTS},
    {"notInitializable", WMDM_STORAGECAP_NOT_INITIALIZABLE},
};

const std::map<std::string, WMDM_TAG_DATATYPE> kTypeNames = {
    {"dword", WMDM_TYPE_DWORD}, {"string", WMDM_TYPE_STRING}, {"binary", WMDM_TYPE_BINARY},
    {"bool", WMDM_TYPE_BOOL},   {"qword", WMDM_TYPE_QWORD},   {"word", WMDM_TYPE_WORD},
    {"guid", WMDM_TYPE_GUID},   {"date", WMDM_TYPE_DATE},
};

// "2004-06-01 12:30:00" (or with a T); the time may be left out.
WMDMDATETIME Date(const Json& value, const std::string& where) {
  WMDMDATETIME date = {};
  const std::string text = value.is_string() ? value.get<std::string>() : std::string();
  unsigned parts[6] = {};
  char separator = ' ';
  const int read = std::sscanf(text.c_str(), "%4u-%2u-%2u%c%2u:%2u:%2u", &parts[0], &parts[1], &parts[2], &separator,
                               &parts[3], &parts[4], &parts[5]);
  if ((read != 3 && read != 7) || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31)
    Fail(where, "expected a date like \"2004-06-01 12:30:00\", got " + Shown(value));
  date.wYear = static_cast<WORD>(parts[0]);
  date.wMonth = static_cast<WORD>(parts[1]);
  date.wDay = static_cast<WORD>(parts[2]);
  date.wHour = static_cast<WORD>(parts[3]);
  date.wMinute = static_cast<WORD>(parts[4]);
  date.wSecond = static_cast<WORD>(parts[5]);
  return date;
}

GUID Guid(const Json& value, const std::string& where) {
  GUID guid = {};
  const WString text = Text(value, where);
  if (FAILED(CLSIDFromString(text.c_str(), &guid))) Fail(where, "expected a GUID like {...}, got " + Shown(value));
  return guid;
}

ModelTag TagValue(const WString& name, WMDM_TAG_DATATYPE type, const Json& value, const std::string& where) {
  switch (type) {
    case WMDM_TYPE_STRING: return ModelTag::String(name, Text(value, where));
    case WMDM_TYPE_DWORD: return ModelTag::Dword(name, static_cast<DWORD>(Number(value, where, 0xFFFFFFFFu)));
    case WMDM_TYPE_QWORD: return ModelTag::Qword(name, Number(value, where));
    case WMDM_TYPE_WORD: return ModelTag::Word(name, static_cast<WORD>(Number(value, where, 0xFFFFu)));
    case WMDM_TYPE_BOOL:
      if (!value.is_boolean()) Fail(where, "expected true or false, got " + Shown(value));
      return ModelTag::Bool(name, value.get<bool>());
    case WMDM_TYPE_GUID: return ModelTag::Guid(name, Guid(value, where));
    case WMDM_TYPE_DATE: return ModelTag::Date(name, Date(value, where));
    case WMDM_TYPE_BINARY: return ModelTag::Binary(name, Hex(value, where));
  }
  Fail(where, "unknown tag type");
}

std::vector<ModelTag> Tags(const Json& tags, const std::string& where) {
  std::vector<ModelTag> result;
  if (tags.is_null()) return result;
  if (!tags.is_object()) Fail(where, "expected an object of tags");
  for (const auto& [key, value] : tags.items()) {
    const WString name = wide::FromUtf8(key);
    const std::string at = where + "." + key;
    if (value.is_object()) {
      const Json* named = Find(value, "type");
      const auto type = named && named->is_string() ? kTypeNames.find(named->get<std::string>()) : kTypeNames.end();
      if (type == kTypeNames.end()) Fail(at, "unknown tag type " + (named ? Shown(*named) : std::string("(none)")));
      result.push_back(TagValue(name, type->second, Field(value, "value", at), at));
    } else {
      result.push_back(TagValue(name, TagTypeOf(name), value, at));
    }
  }
  return result;
}

// Builds the document as the library's own parser does, but refuses nesting
// past the limit before building it and appends an object's members in
// constant time (the library's ordered objects look every key up as they
// insert it), with a set of the keys seen beside each open object.
class DescriptionParser {
 public:
  explicit DescriptionParser(Json& root) : root_(root) {}

  bool null() { return Put(nullptr); }
  bool boolean(bool value) { return Put(value); }
  bool number_integer(Json::number_integer_t value) { return Put(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return Put(value); }
  bool number_float(Json::number_float_t value, const std::string&) { return Put(value); }
  bool string(std::string& value) { return Put(std::move(value)); }
  bool binary(Json::binary_t& value) { return Put(Json::binary(std::move(value))); }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(std::string& name) {
    Level& level = levels_.back();
    if (!level.keys.insert(name).second) {
      error_ = "the description names " + Json(name).dump(-1, ' ', false, Json::error_handler_t::replace) +
               " twice in one object";
      return false;
    }
    auto& members = level.value->get_ref<Json::object_t&>();
    members.emplace_back(std::move(name), nullptr);
    member_ = &members.back().second;
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
    error_ = "not JSON: the text goes wrong at byte " + std::to_string(position);
    return false;
  }

  const std::string& Error() const { return error_; }

 private:
  struct Level {
    Json* value;
    std::unordered_set<std::string> keys;
  };

  // Where the next value goes. Pointers into a container stay good while a
  // child of it is open: only the innermost container grows.
  Json* Slot() {
    if (levels_.empty()) return &root_;
    Json& top = *levels_.back().value;
    if (!top.is_array()) return member_;
    auto& items = top.get_ref<Json::array_t&>();
    items.emplace_back();
    return &items.back();
  }
  bool Put(Json value) {
    *Slot() = std::move(value);
    return true;
  }
  bool Open(Json container) {
    if (levels_.size() >= static_cast<size_t>(kMaxNesting)) {
      error_ = "the description nests deeper than " + std::to_string(kMaxNesting) + " levels";
      return false;
    }
    Json* slot = Slot();
    *slot = std::move(container);
    levels_.push_back(Level{slot, {}});
    return true;
  }
  bool Close() {
    levels_.pop_back();
    return true;
  }

  Json& root_;
  Json* member_ = nullptr;
  std::vector<Level> levels_;
  std::string error_;
};

class Loader {
 public:
  explicit Loader(PlayerModel& model) : model_(model) {}

  void Load(const Json& root) {
    if (!root.is_object()) Fail("description", "expected an object with \"players\"");
    Formats(root);
    ChaosOf(root);
    const Json& players = List(root, "players", "description");
    for (size_t i = 0; i < players.size(); ++i) Player(players[i], "players[" + std::to_string(i) + "]");
  }

  _WAVEFORMATEX WaveFormat(const Json& value, const std::string& where) {
    if (value.is_string()) {
      auto found = formats_.find(value.get<std::string>());
      if (found == formats_.end()) Fail(where, "unknown format " + Shown(value));
      return found->second;
    }
    if (!value.is_object()) Fail(where, "expected a format, got " + Shown(value));
    const auto field = [&](const char* key, ULONGLONG absent, ULONGLONG most) {
      const Json* found = Find(value, key);
      return found ? Number(*found, where + "." + key, most) : absent;
    };
    _WAVEFORMATEX format = {};
    format.wFormatTag = static_cast<WORD>(Number(Field(value, "tag", where), where + ".tag", 0xFFFF));
    format.nChannels = static_cast<WORD>(field("channels", 2, 0xFFFF));
    format.nSamplesPerSec = static_cast<DWORD>(field("samplesPerSec", 0, 0xFFFFFFFFu));
    format.nAvgBytesPerSec = static_cast<DWORD>(field("avgBytesPerSec", 0, 0xFFFFFFFFu));
    format.nBlockAlign = static_cast<WORD>(field("blockAlign", 0, 0xFFFF));
    format.wBitsPerSample = static_cast<WORD>(field("bitsPerSample", 0, 0xFFFF));
    return format;
  }

  // A seed given in the environment wins over the description's.
  void ChaosOf(const Json& root) {
    const Json* chaos = Find(root, "chaos");
    if (!chaos) return;
    if (!chaos->is_object()) Fail("chaos", "expected an object, got " + Shown(*chaos));
    ChaosSettings settings;
    settings.seed = Number(Field(*chaos, "seed", "chaos"), "chaos.seed");
    unsigned kinds = 0;
    for (const Json& kind : List(*chaos, "kinds", "chaos")) {
      const unsigned bit = kind.is_string() ? ChaosKindNamed(kind.get<std::string>()) : 0;
      if (bit == 0) Fail("chaos.kinds", "unknown kind " + Shown(kind));
      kinds |= bit;
    }
    if (kinds != 0) settings.kinds = kinds;
    if (!model_.ChaosMode().On()) model_.ChaosMode().Start(settings);
  }

  void Formats(const Json& root) {
    if (const Json* formats = Find(root, "formats")) {
      if (!formats->is_object()) Fail("formats", "expected an object, got " + Shown(*formats));
      for (const auto& [name, format] : formats->items()) formats_[name] = WaveFormat(format, "formats." + name);
    }
  }

  // A player's facts alone, for a player whose content is kept elsewhere.
  void Facts(const Json& player, DeviceDescription* device, MediumDescription* medium) {
    if (!player.is_object()) Fail("description", "expected an object describing one player");
    Formats(player);
    *device = Device(player, "player");
    if (const Json* media = Find(player, "media")) {
      if (!media->is_array()) Fail("player.media", "expected a list, got " + Shown(*media));
      if (!media->empty()) *medium = MediumFacts((*media)[0], "player.media[0]", false);
    }
  }

 private:
  DeviceDescription Device(const Json& player, const std::string& where) {
    DeviceDescription device;
    device.name = Text(Field(player, "name", where), where + ".name");
    if (player.contains("personality")) device.personality = PersonalityOf(player["personality"], where + ".personality");
    device.storagesAsDevices = Flag(player, "storagesAsDevices", false, where);
    device.staleAsFileErrors = Flag(player, "staleAsFileErrors", false, where);
    if (player.contains("manufacturer")) device.manufacturer = Text(player["manufacturer"], where + ".manufacturer");
    if (player.contains("version"))
      device.version = static_cast<DWORD>(Number(player["version"], where + ".version", 0xFFFFFFFFu));
    if (player.contains("type")) device.type = Flags(player["type"], kDeviceTypes, where + ".type");
    if (player.contains("status")) device.status = Flags(player["status"], kStatus, where + ".status");
    if (player.contains("vendorId"))
      device.vendorId = static_cast<DWORD>(Number(player["vendorId"], where + ".vendorId", 0xFFFFFFFFu));
    if (player.contains("serial")) device.serial = Hex(player["serial"], where + ".serial");
    if (player.contains("canonicalName")) device.canonicalName = Text(player["canonicalName"], where);
    if (player.contains("icon")) device.icon = static_cast<ULONG>(Number(player["icon"], where + ".icon", 0xFFFFFFFFu));
    for (const Json& format : List(player, "waveFormats", where))
      device.waveFormats.push_back(WaveFormat(format, where + ".waveFormats"));
    for (const Json& type : List(player, "mimeTypes", where)) device.mimeTypes.push_back(Text(type, where + ".mimeTypes"));
    if (player.contains("formatsSupported")) {
      device.formatsSupported.emplace();
      for (const Json& code : List(player, "formatsSupported", where))
        device.formatsSupported->push_back(static_cast<DWORD>(Number(code, where + ".formatsSupported", 0xFFFFFFFFu)));
    }
    if (player.contains("tagsSupported")) {
      device.tagsSupported.emplace();
      for (const Json& tag : List(player, "tagsSupported", where))
        device.tagsSupported->push_back(Text(tag, where + ".tagsSupported"));
    }
    return device;
  }

  static Personality PersonalityOf(const Json& value, const std::string& where) {
    const WString name = Text(value, where);
    if (name == W("mass-storage")) return Personality::MassStorage;
    if (name == W("mtp")) return Personality::Mtp;
    Fail(where, "expected \"mass-storage\" or \"mtp\", got " + Shown(value));
  }

  void Player(const Json& player, const std::string& where) {
    const DeviceDescription device = Device(player, where);
    const bool connected = Flag(player, "connected", true, where);
    const ObjectId id = model_.AddDevice(device, PlayerModel::Presence::Detached);
    const Json& media = List(player, "media", where);
    for (size_t i = 0; i < media.size(); ++i) Medium(id, media[i], where + ".media[" + std::to_string(i) + "]");
    if (connected) model_.ConnectDevice(id);
  }

  MediumDescription MediumFacts(const Json& medium, const std::string& where, bool sized) {
    MediumDescription description;
    description.name = Text(Field(medium, "name", where), where + ".name");
    if (sized) description.totalSize = Number(Field(medium, "totalSize", where), where + ".totalSize");
    description.removable = Flag(medium, "removable", false, where);
    if (medium.contains("status")) description.status = Flags(medium["status"], kStatus, where + ".status");
    if (medium.contains("capabilities"))
      description.capabilities = Flags(medium["capabilities"], kCapabilities, where + ".capabilities");
    if (medium.contains("serial")) description.serial = Hex(medium["serial"], where + ".serial");
    return description;
  }

  void Medium(ObjectId device, const Json& medium, const std::string& where) {
    const MediumDescription description = MediumFacts(medium, where, true);
    const ObjectId root = model_.AddMedium(device, description);
    playlists_.clear();
    Items(root, List(medium, "items", where), where);
    // Entries name tracks anywhere on the medium, so they are linked last.
    for (const PendingPlaylist& playlist : playlists_) Playlist(device, description.name, playlist);
  }

  void Items(ObjectId parent, const Json& items, const std::string& where) {
    for (size_t i = 0; i < items.size(); ++i) Item(parent, items[i], where + ".items[" + std::to_string(i) + "]");
  }

  DWORD ExtraAttributes(const Json& item, const std::string& where) {
    DWORD attributes = 0;
    if (Flag(item, "hidden", false, where)) attributes |= WMDM_FILE_ATTR_HIDDEN;
    if (Flag(item, "system", false, where)) attributes |= WMDM_FILE_ATTR_SYSTEM;
    if (Flag(item, "readOnly", false, where)) attributes |= WMDM_FILE_ATTR_READONLY;
    return attributes;
  }

  void Item(ObjectId parent, const Json& item, const std::string& where) {
    if (item.contains("folder")) {
      const DWORD attributes = item.contains("attributes")
                                   ? static_cast<DWORD>(Number(item["attributes"], where + ".attributes", 0xFFFFFFFFu))
                                   : DefaultFolderAttributes() | ExtraAttributes(item, where);
      const ObjectId folder = model_.AddFolder(parent, Text(item["folder"], where + ".folder"), attributes);
      Items(folder, List(item, "items", where), where);
    } else if (item.contains("file")) {
      FileDescription file;
      file.name = Text(item["file"], where + ".file");
      if (item.contains("size")) file.size = Number(item["size"], where + ".size");
      if (item.contains("content")) file.bytes = Hex(item["content"], where + ".content");
      if (item.contains("format")) file.format = WaveFormat(item["format"], where + ".format");
      if (item.contains("date")) file.date = Date(item["date"], where + ".date");
      if (const Json* tags = Find(item, "tags")) file.tags = Tags(*tags, where + ".tags");
      file.attributes = item.contains("attributes")
                            ? static_cast<DWORD>(Number(item["attributes"], where + ".attributes", 0xFFFFFFFFu))
                            : DefaultFileAttributes(file.name) | ExtraAttributes(item, where);
      model_.AddFile(parent, file);
    } else if (item.contains("playlist")) {
      const ObjectId id = model_.AddPlaylist(parent, Text(item["playlist"], where + ".playlist"), {});
      std::vector<WString> entries;
      for (const Json& entry : List(item, "entries", where)) entries.push_back(Text(entry, where + ".entries"));
      playlists_.push_back(PendingPlaylist{id, entries, where});
    } else {
      Fail(where, "expected \"folder\", \"file\" or \"playlist\"");
    }
  }

  struct PendingPlaylist {
    ObjectId id;
    std::vector<WString> entries;
    std::string where;
  };

  void Playlist(ObjectId device, const WString& medium, const PendingPlaylist& playlist);

  PlayerModel& model_;
  std::map<std::string, _WAVEFORMATEX> formats_;
  std::vector<PendingPlaylist> playlists_;
};

void Loader::Playlist(ObjectId device, const WString& medium, const PendingPlaylist& playlist) {
  std::vector<ObjectId> entries;
  for (const WString& entry : playlist.entries) {
    const ObjectId target = model_.Find(device, medium + W("\\") + entry);
    if (!target) Fail(playlist.where, "no track " + wide::ToUtf8(entry) + " on the medium");
    entries.push_back(target);
  }
  model_.SetPlaylistEntries(playlist.id, entries);
}

}  // namespace

WMDM_TAG_DATATYPE TagTypeOf(const WString& name) {
  static const std::map<WString, WMDM_TAG_DATATYPE> types = [] {
    std::map<WString, WMDM_TAG_DATATYPE> table;
    for (const WCHAR* n : {g_wszWMDMTrack, g_wszWMDMFormatCode, g_wszWMDMBitrate, g_wszWMDMBitRateType,
                           g_wszWMDMSampleRate, g_wszWMDMNumChannels, g_wszWMDMBlockAlignment, g_wszWMDMAudioBitDepth,
                           g_wszWMDMTotalBitrate, g_wszWMDMUserRating, g_wszWMDMUserRatingOnDevice,
                           g_wszWMDMUserEffectiveRating, g_wszWMDMPlayCount, g_wszWMDMDevicePlayCount,
                           g_wszWMDMAlbumCoverFormat, g_wszWMDMAlbumCoverSize, g_wszWMDMAlbumCoverHeight,
                           g_wszWMDMAlbumCoverWidth, g_wszWMDMAlbumCoverDuration, g_wszWMDMDataUnits,
                           g_wszAudioWAVECodec, g_wszVideoFourCCCodec, g_wszWMDMWidth, g_wszWMDMHeight,
                           g_wszWMDMVideoBitrate, g_wszWMDMFrameRate, g_wszWMDMScanType, g_wszWMDMKeyFrameDistance,
                           g_wszWMDMBufferSize})
      table[n] = WMDM_TYPE_DWORD;
    for (const WCHAR* n : {g_wszWMDMDuration, g_wszWMDMFileSize, g_wszWMDMFileAttributes, g_wszWMDMTimeBookmark,
                           g_wszWMDMByteBookmark, g_wszWMDMDataOffset, g_wszWMDMDataLength, g_wszWMDMTimeToLive})
      table[n] = WMDM_TYPE_QWORD;
    for (const WCHAR* n : {g_wszWMDMLastModifiedDate, g_wszWMDMFileCreationDate, g_wszWMDMAuthorDate,
                           g_wszWMDMUserLastPlayTime, g_wszWMDMSyncTime, g_wszWMDMMediaOriginalBroadcastDateTime})
      table[n] = WMDM_TYPE_DATE;
    for (const WCHAR* n : {g_wszWMDMIsProtected, g_wszWMDMBuyNow, g_wszWMDMNonConsumable, g_wszWMDMIsRepeat})
      table[n] = WMDM_TYPE_BOOL;
    table[g_wszWMDMAlbumCoverData] = WMDM_TYPE_BINARY;
    return table;
  }();
  auto found = types.find(name);
  return found == types.end() ? WMDM_TYPE_STRING : found->second;
}

namespace {

// Parses the text and hands its root to `use`; whatever goes wrong, in the
// text or in what `use` makes of it, ends as false and a message, never as
// an exception.
template <class Use>
bool WithDescription(const std::string& text, std::string* error, Use use) {
  try {
    Json root;
    DescriptionParser parser(root);
    if (!Json::sax_parse(text, &parser)) {
      if (error) *error = parser.Error();
      return false;
    }
    use(root);
    return true;
  } catch (const DescriptionError& failure) {
    if (error) *error = failure.what();
  } catch (const std::exception&) {
    if (error) *error = "the description cannot be read";
  }
  return false;
}

}  // namespace

bool LoadPlayers(PlayerModel& model, const std::string& text, std::string* error) {
  return WithDescription(text, error, [&](const Json& root) { Loader(model).Load(root); });
}

bool ParsePlayerFacts(const std::string& text, DeviceDescription* device, MediumDescription* medium,
                      std::string* error) {
  return WithDescription(text, error, [&](const Json& root) {
    auto model = PlayerModel::Create();
    Loader(*model).Facts(root, device, medium);
  });
}

bool LoadPlayersFile(PlayerModel& model, const WString& path, std::string* error) {
  std::ifstream in{std::filesystem::path(path), std::ios::binary};
  if (!in) {
    if (error) *error = "the file cannot be read";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return LoadPlayers(model, text.str(), error);
}

}  // namespace wmdm_standin
