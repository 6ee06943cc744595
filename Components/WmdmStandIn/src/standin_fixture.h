// What the stand-in's tests share: a small player model registered as the
// process's device manager, reached through CoCreateInstance like the plug-in
// does, and a check at the end of every test that no stand-in object is left.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <com_object.h>
#include <com_ptr.h>
#include <mswmdm.h>

#include "com_support.h"
#include "player_model.h"
#include "registration.h"

namespace wmdm_standin {
namespace testing_support {

// Two players. "Pocket 20" (canonical name, serial, formats) holds
//   Internal Memory: \Music\Album\one.mp3 (1000 bytes, tagged), \Music\Album\two.wma,
//                    \Music\three.wav, \Playlists\Run.pla (-> one.mp3, three.wav),
//                    \System (hidden, system folder) with \System\config.dat
//   Storage Card:    \Podcast.mp3
// and "Generic Player" has no canonical name, manufacturer or serial and one
// empty medium "\".
struct SmallModel {
  std::shared_ptr<PlayerModel> model = PlayerModel::Create();
  ObjectId pocket = 0, generic = 0;
  ObjectId internal = 0, card = 0, genericRoot = 0;
  ObjectId music = 0, album = 0, one = 0, two = 0, three = 0, playlists = 0, run = 0, system = 0, config = 0;
  ObjectId podcast = 0;

  static constexpr ULONGLONG kInternalSize = 0x100000000ull + 4096;  // above 4 GB: both halves matter

  SmallModel() {
    DeviceDescription device;
    device.name = W("Pocket 20");
    device.manufacturer = W("Aurora Audio");
    device.version = 260;
    device.vendorId = 0x1E2A;
    device.serial = {0x01, 0xAB, 0x00, 0x3F};
    device.canonicalName = W("\\\\?\\usb#vid_1e2a&pid_0101#a1b2c3#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0");
    device.icon = 101;
    device.waveFormats = {Wave(0x55, 44100, 16000), Wave(0x161, 44100, 16000), Wave(0x1, 44100, 176400)};
    device.mimeTypes = {W("audio/mpeg"), W("audio/x-ms-wma"), W("audio/wav")};
    device.formatsSupported = std::vector<DWORD>{WMDM_FORMATCODE_MP3, WMDM_FORMATCODE_WMA, WMDM_FORMATCODE_WAVE,
                                                 WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST};
    pocket = model->AddDevice(device);
    internal = model->AddMedium(pocket, Medium(W("Internal Memory"), kInternalSize, false));
    card = model->AddMedium(pocket, Medium(W("Storage Card"), 64 * 1024, true));
    music = model->AddFolder(internal, W("Music"));
    album = model->AddFolder(music, W("Album"));
    one = model->AddFile(album, File(W("one.mp3"), 1000, W("One")));
    two = model->AddFile(album, File(W("two.wma"), 2000, W("Two")));
    three = model->AddFile(music, File(W("three.wav"), 3000, W("Three")));
    playlists = model->AddFolder(internal, W("Playlists"));
    run = model->AddPlaylist(playlists, W("Run.pla"), {one, three});
    system = model->AddFolder(internal, W("System"),
                              DefaultFolderAttributes() | WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM);
    config = model->AddFile(system, File(W("config.dat"), 10, WString()));
    podcast = model->AddFile(card, File(W("Podcast.mp3"), 500, W("Podcast")));

    DeviceDescription plain;
    plain.name = W("Generic Player");
    generic = model->AddDevice(plain);
    genericRoot = model->AddMedium(generic, Medium(W("\\"), 1024 * 1024, true));
  }

  static _WAVEFORMATEX Wave(WORD tag, DWORD samplesPerSec, DWORD avgBytesPerSec) {
    _WAVEFORMATEX format = {};
    format.wFormatTag = tag;
    format.nChannels = 2;
    format.nSamplesPerSec = samplesPerSec;
    format.nAvgBytesPerSec = avgBytesPerSec;
    format.wBitsPerSample = 16;
    return format;
  }
  static MediumDescription Medium(const WString& name, ULONGLONG size, bool removable) {
    MediumDescription medium;
    medium.name = name;
    medium.totalSize = size;
    medium.removable = removable;
    medium.serial = {0x4D, 0x45};
    return medium;
  }
  static FileDescription File(const WString& name, ULONGLONG size, const WString& title) {
    FileDescription file;
    file.name = name;
    file.size = size;
    file.format = Wave(0x55, 44100, 16000);
    file.date = WMDMDATETIME{2004, 6, 1, 12, 30, 5};
    if (!title.empty()) file.tags = {ModelTag::String(g_wszWMDMTitle, title), ModelTag::Dword(g_wszWMDMTrack, 7)};
    return file;
  }
};

// A caller's progress object that records what the platform told it and can
// refuse to go on.
class RecordingProgress final : public ComObject<RecordingProgress, IWMDMProgress> {
 public:
  HRESULT STDMETHODCALLTYPE Begin(DWORD ticks) override {
    calls.push_back("Begin");
    estimated = ticks;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Progress(DWORD ticks) override {
    calls.push_back("Progress");
    lastTicks = ticks;
    return cancel ? WMDM_E_USER_CANCELLED : S_OK;
  }
  HRESULT STDMETHODCALLTYPE End() override {
    calls.push_back("End");
    return S_OK;
  }

  bool cancel = false;
  DWORD estimated = 0, lastTicks = 0;
  std::vector<std::string> calls;
};

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(registration_.Register(players_.model), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager, manager_.AsVoidOut()),
              S_OK);
    ASSERT_EQ(manager_.As(&manager3_), S_OK);
    // As the plug-in does: a player is one device however many storages it has.
    if (oneDevicePerPlayer_) {
      ASSERT_EQ(manager3_->SetDeviceEnumPreference(DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES), S_OK);
    }
  }

  void TearDown() override {
    manager3_.Reset();
    manager_.Reset();
    registration_.Revoke();
    players_.model->Events().Flush();
    EXPECT_EQ(LiveComObjects(), 0) << "a stand-in object was not released";
    CoUninitialize();
  }

  PlayerModel& Model() { return *players_.model; }

  ComPtr<IWMDMDevice3> DeviceNamed(const WString& name) {
    ComPtr<IWMDMEnumDevice> devices;
    EXPECT_EQ(manager3_->EnumDevices2(&devices), S_OK);
    ComPtr<IWMDMDevice> device;
    ULONG fetched = 0;
    while (devices && devices->Next(1, &device, &fetched) == S_OK) {
      WCHAR text[64] = {};
      if (SUCCEEDED(device->GetName(text, 64)) && name == text) {
        ComPtr<IWMDMDevice3> device3;
        EXPECT_EQ(device.As(&device3), S_OK);
        return device3;
      }
    }
    ADD_FAILURE() << "no device " << wide::ToUtf8(name);
    return nullptr;
  }

  // A medium found by enumerating the device's storages, as a client must:
  // the device's GetStorage looks below its root storage, not at the media.
  static ComPtr<IWMDMStorage> MediumNamed(IWMDMDevice* device, const WString& name) {
    ComPtr<IWMDMEnumStorage> media;
    if (!device || device->EnumStorage(&media) != S_OK) return nullptr;
    ComPtr<IWMDMStorage> medium;
    ULONG fetched = 0;
    while (media->Next(1, &medium, &fetched) == S_OK)
      if (wide::EqualsIgnoreCaseAscii(NameOf(medium.Get()), name)) return medium;
    return nullptr;
  }

  // A storage reached through the interfaces: medium first, then each name.
  ComPtr<IWMDMStorage4> StorageAt(const WString& deviceName, const std::vector<WString>& path) {
    ComPtr<IWMDMDevice3> device = DeviceNamed(deviceName);
    if (!device || path.empty()) return nullptr;
    ComPtr<IWMDMStorage> current = MediumNamed(device.Get(), path[0]);
    if (!current) return nullptr;
    for (size_t i = 1; i < path.size(); ++i) {
      ComPtr<IWMDMStorage2> parent;
      ComPtr<IWMDMStorage> child;
      if (current.As(&parent) != S_OK || parent->GetStorage(path[i].c_str(), &child) != S_OK) return nullptr;
      current = child;
    }
    ComPtr<IWMDMStorage4> storage;
    EXPECT_EQ(current.As(&storage), S_OK);
    return storage;
  }

  static WString NameOf(IWMDMStorage* storage) {
    WCHAR text[260] = {};
    return SUCCEEDED(storage->GetName(text, 260)) ? WString(text) : WString(W("<no name>"));
  }

  SmallModel players_;
  DeviceManagerRegistration registration_;
  ComPtr<IWMDeviceManager> manager_;
  ComPtr<IWMDeviceManager3> manager3_;
  bool oneDevicePerPlayer_ = true;  // set before SetUp to see the platform's default
};

}  // namespace testing_support
}  // namespace wmdm_standin
