// What a listing asks of a folder player's tracks (attributes, the audio
// format, the format code) comes without reading their tags; the tags are
// read once, when first asked for, and kept. A file's tags are changed on
// disk behind the player's back to see when they were read.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstring>
#include <functional>

#include <com_ptr.h>
#include <mswmdm.h>

#include "folder_player.h"
#include "folder_test_support.h"
#include "registration.h"
#include "test_tracks.h"

namespace wmdm_standin {
namespace {

using testing_support::TemporaryFolder;

void Retitle(const std::string& path, const char* title) {
  TagLib::FileRef file(path.c_str());
  ASSERT_FALSE(file.isNull());
  file.tag()->setTitle(TagLib::String(title));
  ASSERT_TRUE(file.save());
}

WString StringTag(IWMDMMetaData* bag, const WCHAR* name) {
  WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
  BYTE* value = nullptr;
  UINT length = 0;
  if (FAILED(bag->QueryByName(name, &type, &value, &length)) || type != WMDM_TYPE_STRING) {
    CoTaskMemFree(value);
    return W("(none)");
  }
  WString text(reinterpret_cast<const WCHAR*>(value), length / sizeof(WCHAR));
  CoTaskMemFree(value);
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

DWORD DwordTag(IWMDMMetaData* bag, const WCHAR* name) {
  WMDM_TAG_DATATYPE type = WMDM_TYPE_STRING;
  BYTE* value = nullptr;
  UINT length = 0;
  DWORD number = 0;
  if (SUCCEEDED(bag->QueryByName(name, &type, &value, &length)) && type == WMDM_TYPE_DWORD && length == 4)
    std::memcpy(&number, value, sizeof number);
  CoTaskMemFree(value);
  return number;
}

class LazyDetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.Path().empty());
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    track_ = folder_.Write("a.mp3", test_tracks::Mp3(20));
    Retitle(track_, "First");
    folder_.Write("b.wav", test_tracks::Wav(100));
    Open();
  }
  // The folder as it is now becomes the player (none read yet).
  void Open() {
    ASSERT_NE(AddFolderPlayer(*model_, folder_.Path()), 0u);
    ASSERT_EQ(registration_.Register(model_), S_OK);
    ComPtr<IWMDeviceManager3> manager;
    ASSERT_EQ(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager3, manager.AsVoidOut()),
              S_OK);
    ComPtr<IWMDMEnumDevice> devices;
    ComPtr<IWMDMDevice> device;
    ComPtr<IWMDMEnumStorage> media;
    ULONG fetched = 0;
    ASSERT_EQ(manager->EnumDevices2(&devices), S_OK);
    ASSERT_EQ(devices->Next(1, &device, &fetched), S_OK);
    ASSERT_EQ(device->EnumStorage(&media), S_OK);
    ASSERT_EQ(media->Next(1, &medium_, &fetched), S_OK);
  }
  void Reopen() {
    medium_.Reset();
    registration_.Revoke();
    model_->Events().Flush();
    model_ = PlayerModel::Create();
    Open();
  }
  void TearDown() override {
    medium_.Reset();
    registration_.Revoke();
    model_->Events().Flush();
    EXPECT_EQ(LiveComObjects(), 0) << "a stand-in object was not released";
    CoUninitialize();
  }

  ComPtr<IWMDMStorage4> Track(const WCHAR* name) {
    ComPtr<IWMDMStorage2> root;
    ComPtr<IWMDMStorage> child;
    ComPtr<IWMDMStorage4> track;
    EXPECT_EQ(medium_.As(&root), S_OK);
    if (!root || root->GetStorage(name, &child) != S_OK) return nullptr;
    EXPECT_EQ(child.As(&track), S_OK);
    return track;
  }
  ComPtr<IWMDMMetaData> Bag(IWMDMStorage4* track) {
    ComPtr<IWMDMMetaData> bag;
    EXPECT_EQ(track->GetMetadata(&bag), S_OK);
    return bag;
  }

  TemporaryFolder folder_;
  std::string track_;
  std::shared_ptr<PlayerModel> model_ = PlayerModel::Create();
  DeviceManagerRegistration registration_;
  ComPtr<IWMDMStorage> medium_;
};

TEST_F(LazyDetailsTest, AListingsQuestionsLeaveTheTagsUnread) {
  auto track = Track(W("a.mp3"));
  ASSERT_TRUE(track);
  DWORD attributes = 0;
  _WAVEFORMATEX format = {};
  ASSERT_EQ(track->GetAttributes(&attributes, &format), S_OK);
  EXPECT_TRUE(attributes & WMDM_FILE_ATTR_AUDIO);
  EXPECT_EQ(format.wFormatTag, 0x55);
  EXPECT_EQ(format.nSamplesPerSec, 44100u);
  auto listed = Bag(track.Get());
  EXPECT_EQ(DwordTag(listed.Get(), g_wszWMDMFormatCode), static_cast<DWORD>(WMDM_FORMATCODE_MP3));

  Retitle(track_, "Second");
  // The bag a listing took reads the tags when asked for more.
  EXPECT_EQ(StringTag(listed.Get(), g_wszWMDMTitle), W("Second"));
  // Once read, they are kept: the file is not read again.
  Retitle(track_, "Third");
  EXPECT_EQ(StringTag(Bag(track.Get()).Get(), g_wszWMDMTitle), W("Second"));
  EXPECT_EQ(StringTag(listed.Get(), g_wszWMDMTitle), W("Second"));
}

TEST_F(LazyDetailsTest, EveryWayOfReadingABagReadsTheWholeSet) {
  struct Way {
    const char* what;
    std::function<void(IWMDMMetaData*)> ask;
  };
  const Way ways[] = {
      {"GetItemCount", [](IWMDMMetaData* bag) {
         UINT count = 0;
         EXPECT_EQ(bag->GetItemCount(&count), S_OK);
         EXPECT_GT(count, 1u);
       }},
      {"QueryByIndex", [](IWMDMMetaData* bag) {
         WCHAR* name = nullptr;
         BYTE* value = nullptr;
         WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
         UINT length = 0;
         EXPECT_EQ(bag->QueryByIndex(1, &name, &type, &value, &length), S_OK);
         CoTaskMemFree(name);
         CoTaskMemFree(value);
       }},
      {"AddItem", [](IWMDMMetaData* bag) {
         DWORD rating = 3;
         EXPECT_EQ(bag->AddItem(WMDM_TYPE_DWORD, W("Rating"), reinterpret_cast<BYTE*>(&rating), sizeof rating), S_OK);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    // A fresh player each time: its tags unread.
    Retitle(track_, "Before");
    Reopen();
    auto bag = Bag(Track(W("a.mp3")).Get());
    Retitle(track_, "After");
    way.ask(bag.Get());
    EXPECT_EQ(StringTag(bag.Get(), g_wszWMDMTitle), W("After"));
    EXPECT_EQ(DwordTag(bag.Get(), g_wszWMDMFormatCode), static_cast<DWORD>(WMDM_FORMATCODE_MP3));
  }
}

TEST_F(LazyDetailsTest, AWavsFormatIsItsOwn) {
  auto track = Track(W("b.wav"));
  ASSERT_TRUE(track);
  DWORD attributes = 0, extra = 0;
  _WAVEFORMATEX format = {};
  ASSERT_EQ(track->GetAttributes2(&attributes, &extra, &format, nullptr), S_OK);
  EXPECT_EQ(format.wFormatTag, 1);
  EXPECT_EQ(format.nChannels, 2);
  EXPECT_EQ(format.nAvgBytesPerSec, 176400u);
  EXPECT_EQ(format.wBitsPerSample, 16);
}

}  // namespace
}  // namespace wmdm_standin
