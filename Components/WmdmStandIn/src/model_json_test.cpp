#include "model_json.h"

#include <gtest/gtest.h>

#include "sample_players.h"

namespace wmdm_standin {
namespace {

const char* const kSmallDescription = R"({
  "formats": { "mp3": { "tag": "0x55", "samplesPerSec": 44100, "avgBytesPerSec": 16000 } },
  "players": [ {
    "name": "Pocket", "manufacturer": "Acme", "version": 7, "type": ["playback", "storage"],
    "serial": "01AB", "vendorId": "0x0B70", "waveFormats": ["mp3"], "mimeTypes": ["audio/mpeg"],
    "formatsSupported": ["0x3009", 47621],
    "media": [ { "name": "Memory", "totalSize": 10000, "items": [
      { "folder": "Music", "items": [
        { "file": "a.mp3", "size": 1000, "format": "mp3", "date": "2004-06-01 12:30:05",
          "tags": { "WMDM/Title": "A", "WMDM/Track": 3, "WMDM/Duration": 5000000000,
                    "WMDM/LastModifiedDate": "2004-06-02", "WMDM/Custom": { "type": "word", "value": 9 } } },
        { "file": "b.wma", "content": "00010203" } ] },
      { "folder": "Hidden", "hidden": true, "system": true },
      { "playlist": "Mix.pla", "entries": ["Music\\b.wma", "music\\A.MP3"] } ] } ] },
  { "name": "Spare", "connected": false } ] })";

TEST(ModelJson, BuildsPlayersMediaFoldersFilesAndPlaylists) {
  auto model = PlayerModel::Create();
  std::string error;
  ASSERT_TRUE(LoadPlayers(*model, kSmallDescription, &error)) << error;
  const ObjectId pocket = model->FindDevice(W("Pocket"));
  ASSERT_NE(pocket, 0u);
  EXPECT_EQ(model->PresentDevices().size(), 1u) << "\"Spare\" is described but not connected";
  const auto& device = model->PresentDevices()[0]->description;
  EXPECT_EQ(*device.manufacturer, W("Acme"));
  EXPECT_EQ(device.type, WMDM_DEVICE_TYPE_PLAYBACK | WMDM_DEVICE_TYPE_STORAGE);
  EXPECT_EQ(device.serial, (std::vector<BYTE>{0x01, 0xAB}));
  EXPECT_EQ(device.vendorId, 0x0B70u);
  EXPECT_FALSE(device.canonicalName);
  EXPECT_EQ(*device.formatsSupported, (std::vector<DWORD>{0x3009, 0xBA05}));
  ASSERT_EQ(device.waveFormats.size(), 1u);
  EXPECT_EQ(device.waveFormats[0].nAvgBytesPerSec, 16000u);

  const auto a = model->Inspect(model->Find(pocket, W("Memory\\Music\\a.mp3")));
  ASSERT_TRUE(a);
  std::vector<WMDM_TAG_DATATYPE> types;
  for (const ModelTag& tag : a->tags) types.push_back(tag.type);
  EXPECT_EQ(a->size, 1000u);
  EXPECT_EQ(a->format.wFormatTag, 0x55);
  EXPECT_EQ(types, (std::vector<WMDM_TAG_DATATYPE>{WMDM_TYPE_STRING, WMDM_TYPE_DWORD, WMDM_TYPE_QWORD, WMDM_TYPE_DATE,
                                                   WMDM_TYPE_WORD}));
  EXPECT_EQ(model->Inspect(model->Find(pocket, W("Memory\\Music\\b.wma")))->bytes,
            (std::vector<BYTE>{0, 1, 2, 3}));
  EXPECT_EQ(model->Inspect(model->Find(pocket, W("Memory\\Hidden")))->attributes &
                (WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM | WMDM_FILE_ATTR_FOLDER),
            WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM | WMDM_FILE_ATTR_FOLDER);
  const auto mix = model->Inspect(model->Find(pocket, W("Memory\\Mix.pla")));
  ASSERT_TRUE(mix);
  EXPECT_EQ(mix->references, (std::vector<ObjectId>{model->Find(pocket, W("Memory\\Music\\b.wma")), a->id}));
  EXPECT_EQ(model->FreeSpace(model->Find(pocket, W("Memory"))), 10000u - 1000 - 4);
}

TEST(ModelJson, ErrorsNameTheEntryAtFault) {
  struct Case { const char* text; const char* mentions; };
  const Case cases[] = {
      {"[1, 2]", "players"},
      {R"({"players": [{"name": "P", "media": [{"name": "M"}]}]})", "totalSize"},
      {R"({"players": [{"name": "P", "type": ["playback", "teleport"]}]})", "players[0].type"},
      {R"({"players": [{"name": "P", "media": [{"name": "M", "totalSize": 1, "items": [{"thing": 1}]}]}]})",
       "players[0].media[0].items[0]"},
      {R"({"players": [{"name": "P", "media": [{"name": "M", "totalSize": 1, "items": [
          {"file": "a.mp3", "tags": {"WMDM/Track": "three"}}]}]}]})",
       "WMDM/Track"},
      {R"({"players": [{"name": "P", "media": [{"name": "M", "totalSize": 1, "items": [
          {"playlist": "p.pla", "entries": ["nothing.mp3"]}]}]}]})",
       "nothing.mp3"},
      {R"({"players": [{"name": "P", "waveFormats": ["mp9"]}]})", "mp9"},
      {R"({"players": [{"name": "P", "serial": "XYZ1"}]})", "serial"},
      {"{ not json", "not JSON: the text goes wrong at byte 4"},
      // Numbers given as text do not wrap, and a list must be a list.
      {R"({"players": [{"name": "P", "version": "-1"}]})", "players[0].version: expected a number from 0 up"},
      {R"({"players": [{"name": "P", "version": " 7"}]})", "players[0].version: expected a number from 0 up"},
      {R"({"players": [{"name": "P", "version": "0x100000000"}]})", "players[0].version: \"0x100000000\" is larger"},
      {R"({"players": [{"name": "P", "media": {"name": "M"}}]})", "players[0].media: expected a list, got an object"},
      {R"({"players": [{"name": "P", "mimeTypes": "audio/mpeg"}]})", "players[0].mimeTypes: expected a list"},
      {R"({"players": {"name": "P"}})", "description.players: expected a list"},
      {R"({"players": [{"name": "P", "connected": "yes"}]})", "players[0].connected: expected true or false"},
      {R"({"players": [{"name": "P", "name": "Q"}]})", "names \"name\" twice in one object"},
      // The library's own texts are not shown, nor a long offending value whole.
      {"{\"players\": [\"\xC0\xBC\"]}", "not JSON: the text goes wrong at byte"},
      {R"({"players": [{"name": "P", "type": ["0123456789012345678901234567890123456789tail"]}]})",
       "\"0123456789012345678901234567890123456789\"... (44 bytes)"},
  };
  for (const Case& c : cases) {
    auto model = PlayerModel::Create();
    std::string error;
    EXPECT_FALSE(LoadPlayers(*model, c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << "error: " << error;
  }
}

// Bytes are written two hexadecimal digits each, either case, and nothing
// else: a space, a sign or a prefix is refused, not read as a number would be.
TEST(ModelJson, SerialsTakeHexadecimalDigitPairsOnly) {
  const auto parse = [](const std::string& serial, std::vector<BYTE>* bytes, std::string* error) {
    DeviceDescription device;
    MediumDescription medium;
    const bool parsed = ParsePlayerFacts(R"({"name": "P", "serial": )" + serial + "}", &device, &medium, error);
    *bytes = device.serial;
    return parsed;
  };
  // Each serial as the JSON text writes it.
  const std::pair<const char*, std::vector<BYTE>> accepted[] = {
      {R"("")", {}}, {R"("00")", {0x00}}, {R"("0aFf")", {0x0A, 0xFF}}, {R"("7F80c9")", {0x7F, 0x80, 0xC9}}};
  const char* const refused[] = {R"("0")",  R"("ABC")", R"(" 1")",     R"("\t1")",      R"("+1")", R"("-1")",
                                 R"("1 ")", R"("0x")",  R"("0x01")",   R"("g0")",       R"("0g")", R"("\u00e9")",
                                 "1",       "[1]",      R"("\u0000A")"};
  std::vector<BYTE> bytes;
  std::string error;
  for (const auto& [serial, expected] : accepted) {
    EXPECT_TRUE(parse(serial, &bytes, &error)) << serial << ": " << error;
    EXPECT_EQ(bytes, expected) << serial;
  }
  for (const char* serial : refused) {
    EXPECT_FALSE(parse(serial, &bytes, &error)) << serial;
    EXPECT_NE(error.find("player.serial: expected hexadecimal bytes"), std::string::npos) << serial << ": " << error;
  }
}

// Nesting is refused while parsing, before anything deep is built or walked,
// also in a field the loader ignores.
TEST(ModelJson, DeepNestingIsRefusedWithTheLimit) {
  const size_t deep = 100000;
  const std::string ignored = "{\"x\": " + std::string(deep, '[') + std::string(deep, ']') + ", \"players\": []}";
  std::string folders = R"({"players": [{"name": "P", "media": [{"name": "M", "totalSize": 1, "items": [)";
  for (int i = 0; i < 5000; ++i) folders += R"({"folder": "f", "items": [)";
  for (int i = 0; i < 5000; ++i) folders += "]}";
  folders += "]}]}]}";
  for (const std::string& text : {ignored, folders}) {
    auto model = PlayerModel::Create();
    std::string error;
    EXPECT_FALSE(LoadPlayers(*model, text, &error));
    EXPECT_EQ(error, "the description nests deeper than 128 levels");
  }
  std::string allowed = R"({"players": [{"name": "P", "media": [{"name": "M", "totalSize": 1, "items": [)";
  for (int i = 0; i < 60; ++i) allowed += R"({"folder": "f", "items": [)";
  for (int i = 0; i < 60; ++i) allowed += "]}";
  allowed += "]}]}]}";
  auto model = PlayerModel::Create();
  std::string error;
  EXPECT_TRUE(LoadPlayers(*model, allowed, &error)) << error;
}

// The built-in sample is what the demo and `mdhost players` show; it must
// keep offering what the plug-in's behaviours need to be seen.
TEST(ModelJson, BuiltInSampleLooksLikeRealPlayers) {
  std::string error;
  auto model = LoadPlayerModel(WString(), &error);
  ASSERT_TRUE(model) << error;
  const auto devices = model->PresentDevices();
  ASSERT_EQ(devices.size(), 3u);

  const ObjectId aurora = model->FindDevice(W("Aurora MX-20"));
  EXPECT_TRUE(devices[0]->description.canonicalName);
  EXPECT_EQ(devices[0]->media.size(), 2u) << "internal memory and a card";
  const auto system = model->Inspect(model->Find(aurora, W("Internal Memory\\System")));
  const auto trip = model->Inspect(model->Find(aurora, W("Internal Memory\\Playlists\\Road Trip.pla")));
  ASSERT_TRUE(system && trip);
  const DWORD hiddenSystem = WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM;
  EXPECT_EQ(system->attributes & hiddenSystem, hiddenSystem);
  EXPECT_EQ(trip->references.size(), 3u);
  for (const WCHAR* track : {W("Internal Memory\\Music\\Northern Lights\\Aurora Borealis\\01 Polar Night.mp3"),
                             W("Internal Memory\\Music\\Harbour Lights\\Quiet Water\\01 Low Tide.wma"),
                             W("Internal Memory\\Music\\Field Recordings\\Rain on a Tin Roof.wav")})
    EXPECT_NE(model->Find(aurora, track), 0u) << wide::ToUtf8(track);

  EXPECT_FALSE(devices[1]->description.canonicalName) << "the second player has no canonical name";
  EXPECT_FALSE(devices[1]->description.serial.empty()) << "so its serial tells it apart";
  EXPECT_EQ(*devices[2]->description.manufacturer, W("Generic"));
}

}  // namespace
}  // namespace wmdm_standin
