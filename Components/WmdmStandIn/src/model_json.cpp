#include "model_json.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

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

const Json& Field(const Json& object, const char* key, const std::string& where) {
  if (!object.is_object() || !object.contains(key)) Fail(where, std::string("\"") + key + "\" is missing");
  return object[key];
}

ULONGLONG Number(const Json& value, const std::string& where) {
  if (value.is_number_unsigned()) return value.get<ULONGLONG>();
  if (value.is_number_integer() && value.get<long long>() >= 0) return static_cast<ULONGLONG>(value.get<long long>());
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    try {
      size_t used = 0;
      const ULONGLONG number = std::stoull(text, &used, 0);
      if (used == text.size()) return number;
    } catch (const std::exception&) {
    }
  }
  Fail(where, "expected a number, got " + value.dump());
}

WString Text(const Json& value, const std::string& where) {
  if (!value.is_string()) Fail(where, "expected a text, got " + value.dump());
  return wide::FromUtf8(value.get<std::string>());
}

std::vector<BYTE> Hex(const Json& value, const std::string& where) {
  const std::string text = value.is_string() ? value.get<std::string>() : std::string("?");
  if (text.size() % 2 != 0) Fail(where, "expected hexadecimal bytes, got " + value.dump());
  std::vector<BYTE> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    try {
      size_t used = 0;
      const unsigned long byte = std::stoul(text.substr(i, 2), &used, 16);
      if (used != 2) throw std::invalid_argument("digit");
      bytes.push_back(static_cast<BYTE>(byte));
    } catch (const std::exception&) {
      Fail(where, "expected hexadecimal bytes, got " + value.dump());
    }
  }
  return bytes;
}

using FlagNames = std::map<std::string, DWORD>;

DWORD Flags(const Json& value, const FlagNames& names, const std::string& where) {
  if (!value.is_array()) return static_cast<DWORD>(Number(value, where));
  DWORD flags = 0;
  for (const Json& name : value) {
    auto found = name.is_string() ? names.find(name.get<std::string>()) : names.end();
    if (found == names.end()) Fail(where, "unknown flag " + name.dump());
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
    Fail(where, "expected a date like \"2004-06-01 12:30:00\", got " + value.dump());
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
  if (FAILED(CLSIDFromString(text.c_str(), &guid))) Fail(where, "expected a GUID like {...}, got " + value.dump());
  return guid;
}

ModelTag TagValue(const WString& name, WMDM_TAG_DATATYPE type, const Json& value, const std::string& where) {
  switch (type) {
    case WMDM_TYPE_STRING: return ModelTag::String(name, Text(value, where));
    case WMDM_TYPE_DWORD: return ModelTag::Dword(name, static_cast<DWORD>(Number(value, where)));
    case WMDM_TYPE_QWORD: return ModelTag::Qword(name, Number(value, where));
    case WMDM_TYPE_WORD: return ModelTag::Word(name, static_cast<WORD>(Number(value, where)));
    case WMDM_TYPE_BOOL:
      if (!value.is_boolean()) Fail(where, "expected true or false, got " + value.dump());
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
      auto type = kTypeNames.find(value.value("type", std::string()));
      if (type == kTypeNames.end()) Fail(at, "unknown tag type " + value.value("type", std::string()));
      result.push_back(TagValue(name, type->second, Field(value, "value", at), at));
    } else {
      result.push_back(TagValue(name, TagTypeOf(name), value, at));
    }
  }
  return result;
}

class Loader {
 public:
  explicit Loader(PlayerModel& model) : model_(model) {}

  void Load(const Json& root) {
    if (!root.is_object()) Fail("description", "expected an object with \"players\"");
    const Json formats = root.value("formats", Json::object());
    for (const auto& [name, format] : formats.items()) formats_[name] = WaveFormat(format, "formats." + name);
    const Json players = root.value("players", Json::array());
    if (!players.is_array()) Fail("players", "expected a list");
    for (size_t i = 0; i < players.size(); ++i) Player(players[i], "players[" + std::to_string(i) + "]");
  }

 private:
  _WAVEFORMATEX WaveFormat(const Json& value, const std::string& where) {
    if (value.is_string()) {
      auto found = formats_.find(value.get<std::string>());
      if (found == formats_.end()) Fail(where, "unknown format " + value.dump());
      return found->second;
    }
    if (!value.is_object()) Fail(where, "expected a format");
    _WAVEFORMATEX format = {};
    format.wFormatTag = static_cast<WORD>(Number(Field(value, "tag", where), where + ".tag"));
    format.nChannels = static_cast<WORD>(Number(value.value("channels", Json(2)), where + ".channels"));
    format.nSamplesPerSec = static_cast<DWORD>(Number(value.value("samplesPerSec", Json(0)), where));
    format.nAvgBytesPerSec = static_cast<DWORD>(Number(value.value("avgBytesPerSec", Json(0)), where));
    format.nBlockAlign = static_cast<WORD>(Number(value.value("blockAlign", Json(0)), where));
    format.wBitsPerSample = static_cast<WORD>(Number(value.value("bitsPerSample", Json(0)), where));
    return format;
  }

  void Player(const Json& player, const std::string& where) {
    DeviceDescription device;
    device.name = Text(Field(player, "name", where), where + ".name");
    if (player.contains("manufacturer")) device.manufacturer = Text(player["manufacturer"], where + ".manufacturer");
    if (player.contains("version")) device.version = static_cast<DWORD>(Number(player["version"], where + ".version"));
    if (player.contains("type")) device.type = Flags(player["type"], kDeviceTypes, where + ".type");
    if (player.contains("status")) device.status = Flags(player["status"], kStatus, where + ".status");
    if (player.contains("vendorId")) device.vendorId = static_cast<DWORD>(Number(player["vendorId"], where));
    if (player.contains("serial")) device.serial = Hex(player["serial"], where + ".serial");
    if (player.contains("canonicalName")) device.canonicalName = Text(player["canonicalName"], where);
    if (player.contains("icon")) device.icon = static_cast<ULONG>(Number(player["icon"], where + ".icon"));
    for (const Json& format : player.value("waveFormats", Json::array()))
      device.waveFormats.push_back(WaveFormat(format, where + ".waveFormats"));
    for (const Json& type : player.value("mimeTypes", Json::array()))
      device.mimeTypes.push_back(Text(type, where + ".mimeTypes"));
    if (player.contains("formatsSupported")) {
      device.formatsSupported.emplace();
      for (const Json& code : player["formatsSupported"])
        device.formatsSupported->push_back(static_cast<DWORD>(Number(code, where + ".formatsSupported")));
    }
    const bool connected = player.value("connected", true);
    const ObjectId id = model_.AddDevice(device, PlayerModel::Presence::Detached);
    const Json media = player.value("media", Json::array());
    for (size_t i = 0; i < media.size(); ++i) Medium(id, media[i], where + ".media[" + std::to_string(i) + "]");
    if (connected) model_.ConnectDevice(id);
  }

  void Medium(ObjectId device, const Json& medium, const std::string& where) {
    MediumDescription description;
    description.name = Text(Field(medium, "name", where), where + ".name");
    description.totalSize = Number(Field(medium, "totalSize", where), where + ".totalSize");
    description.removable = medium.value("removable", false);
    if (medium.contains("status")) description.status = Flags(medium["status"], kStatus, where + ".status");
    if (medium.contains("capabilities"))
      description.capabilities = Flags(medium["capabilities"], kCapabilities, where + ".capabilities");
    if (medium.contains("serial")) description.serial = Hex(medium["serial"], where + ".serial");
    const ObjectId root = model_.AddMedium(device, description);
    playlists_.clear();
    Items(root, medium.value("items", Json::array()), where);
    // Entries name tracks anywhere on the medium, so they are linked last.
    for (const PendingPlaylist& playlist : playlists_) Playlist(device, description.name, playlist);
  }

  void Items(ObjectId parent, const Json& items, const std::string& where) {
    if (!items.is_array()) Fail(where + ".items", "expected a list");
    for (size_t i = 0; i < items.size(); ++i) Item(parent, items[i], where + ".items[" + std::to_string(i) + "]");
  }

  DWORD ExtraAttributes(const Json& item) {
    DWORD attributes = 0;
    if (item.value("hidden", false)) attributes |= WMDM_FILE_ATTR_HIDDEN;
    if (item.value("system", false)) attributes |= WMDM_FILE_ATTR_SYSTEM;
    if (item.value("readOnly", false)) attributes |= WMDM_FILE_ATTR_READONLY;
    return attributes;
  }

  void Item(ObjectId parent, const Json& item, const std::string& where) {
    if (item.contains("folder")) {
      const DWORD attributes = item.contains("attributes") ? static_cast<DWORD>(Number(item["attributes"], where))
                                                           : DefaultFolderAttributes() | ExtraAttributes(item);
      const ObjectId folder = model_.AddFolder(parent, Text(item["folder"], where + ".folder"), attributes);
      Items(folder, item.value("items", Json::array()), where);
    } else if (item.contains("file")) {
      FileDescription file;
      file.name = Text(item["file"], where + ".file");
      file.size = Number(item.value("size", Json(0)), where + ".size");
      if (item.contains("content")) file.bytes = Hex(item["content"], where + ".content");
      if (item.contains("format")) file.format = WaveFormat(item["format"], where + ".format");
      if (item.contains("date")) file.date = Date(item["date"], where + ".date");
      file.tags = Tags(item.value("tags", Json()), where + ".tags");
      file.attributes = item.contains("attributes") ? static_cast<DWORD>(Number(item["attributes"], where))
                                                    : DefaultFileAttributes(file.name) | ExtraAttributes(item);
      model_.AddFile(parent, file);
    } else if (item.contains("playlist")) {
      const ObjectId id = model_.AddPlaylist(parent, Text(item["playlist"], where + ".playlist"), {});
      std::vector<WString> entries;
      for (const Json& entry : item.value("entries", Json::array())) entries.push_back(Text(entry, where + ".entries"));
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

bool LoadPlayers(PlayerModel& model, const std::string& text, std::string* error) {
  try {
    Loader(model).Load(Json::parse(text));
    return true;
  } catch (const std::exception& failure) {
    if (error) *error = failure.what();
    return false;
  }
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
