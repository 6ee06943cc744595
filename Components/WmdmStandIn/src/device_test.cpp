#include "device.h"

#include <cstring>

#include <unique_propvariant.h>

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class DeviceTest : public StandInTest {
 protected:
  void SetUp() override {
    StandInTest::SetUp();
    pocket_ = DeviceNamed(W("Pocket 20"));
    generic_ = DeviceNamed(W("Generic Player"));
    ASSERT_TRUE(pocket_ && generic_);
  }
  void TearDown() override {
    pocket_.Reset();
    generic_.Reset();
    StandInTest::TearDown();
  }
  ComPtr<IWMDMDevice3> pocket_, generic_;
};

// Buffers are offered in characters, the terminator included; a text that
// does not fit fails and leaves the buffer alone.
TEST_F(DeviceTest, TextsFitTheOfferedBufferOrFailWhole) {
  using Getter = HRESULT (STDMETHODCALLTYPE IWMDMDevice3::*)(LPWSTR, UINT);
  struct Case {
    const char* what;
    IWMDMDevice3* device;
    Getter getter;
    UINT offered;
    HRESULT expected;
    const WCHAR* text;
  };
  const WCHAR* canonical = W("\\\\?\\usb#vid_1e2a&pid_0101#a1b2c3#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0");
  const UINT canonicalLength = static_cast<UINT>(wide::Length(canonical));
  const Case cases[] = {
      {"name, exact fit", pocket_.Get(), &IWMDMDevice3::GetName, 10, S_OK, W("Pocket 20")},
      {"name, one short", pocket_.Get(), &IWMDMDevice3::GetName, 9, WMDM_E_BUFFERTOOSMALL, nullptr},
      {"manufacturer", pocket_.Get(), &IWMDMDevice3::GetManufacturer, 259, S_OK, W("Aurora Audio")},
      {"no manufacturer", generic_.Get(), &IWMDMDevice3::GetManufacturer, 259, WMDM_E_NOTSUPPORTED, nullptr},
      {"canonical name, exact fit", pocket_.Get(), &IWMDMDevice3::GetCanonicalName, canonicalLength + 1, S_OK,
       canonical},
      {"canonical name, one short", pocket_.Get(), &IWMDMDevice3::GetCanonicalName, canonicalLength,
       WMDM_E_BUFFERTOOSMALL, nullptr},
      {"no canonical name", generic_.Get(), &IWMDMDevice3::GetCanonicalName, 259, WMDM_E_NOTSUPPORTED, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WCHAR buffer[300];
    for (WCHAR& ch : buffer) ch = W('#');
    EXPECT_EQ((c.device->*c.getter)(buffer, c.offered), c.expected);
    if (c.text)
      EXPECT_EQ(WString(buffer), c.text);
    else
      EXPECT_EQ(buffer[0], W('#')) << "a failed call leaves the caller's buffer alone";
  }
  EXPECT_EQ(pocket_->GetName(nullptr, 10), E_INVALIDARG);
}

TEST_F(DeviceTest, NumbersAndSerial) {
  DWORD value = 0;
  EXPECT_EQ(pocket_->GetVersion(&value), S_OK);
  EXPECT_EQ(value, 260u);
  EXPECT_EQ(generic_->GetVersion(&value), WMDM_E_NOTSUPPORTED);
  ASSERT_EQ(pocket_->GetType(&value), S_OK);
  EXPECT_EQ(value, WMDM_DEVICE_TYPE_PLAYBACK | WMDM_DEVICE_TYPE_STORAGE | WMDM_DEVICE_TYPE_NONSDMI);
  ULONG icon = 0;
  EXPECT_EQ(pocket_->GetDeviceIcon(&icon), S_OK);
  EXPECT_EQ(icon, 101u);

  WMDMID serial;
  std::memset(&serial, 0xCC, sizeof(serial));
  BYTE mac[WMDM_MAC_LENGTH];
  ASSERT_EQ(pocket_->GetSerialNumber(&serial, mac), S_OK);
  EXPECT_EQ(serial.cbSize, sizeof(WMDMID));
  EXPECT_EQ(serial.dwVendorID, 0x1E2Au);
  ASSERT_EQ(serial.SerialNumberLength, 4u);
  EXPECT_EQ(std::vector<BYTE>(serial.pID, serial.pID + 4), (std::vector<BYTE>{0x01, 0xAB, 0x00, 0x3F}));
  EXPECT_EQ(generic_->GetSerialNumber(&serial, mac), WMDM_E_NOTSUPPORTED);
}

TEST_F(DeviceTest, FormatSupportComesInCallerFreedBlocks) {
  _WAVEFORMATEX* formats = nullptr;
  LPWSTR* types = nullptr;
  UINT formatCount = 0, typeCount = 0;
  ASSERT_EQ(pocket_->GetFormatSupport(&formats, &formatCount, &types, &typeCount), S_OK);
  ASSERT_EQ(formatCount, 3u);
  // The platform's 20-byte stride: the third entry starts 40 bytes in.
  const BYTE* raw = reinterpret_cast<const BYTE*>(formats);
  WORD tag = 0;
  std::memcpy(&tag, raw + 40, sizeof(tag));
  EXPECT_EQ(tag, 0x1);
  EXPECT_EQ(formats[1].wFormatTag, 0x161);
  EXPECT_EQ(formats[1].nAvgBytesPerSec, 16000u);
  EXPECT_EQ(std::vector<WString>(types, types + typeCount),
            (std::vector<WString>{W("audio/mpeg"), W("audio/x-ms-wma"), W("audio/wav")}));
  // Freeing the two arrays is all a caller does; the sanitizer lane would
  // report anything left over.
  CoTaskMemFree(formats);
  CoTaskMemFree(types);

  ASSERT_EQ(generic_->GetFormatSupport(&formats, &formatCount, &types, &typeCount), S_OK);
  EXPECT_EQ(formats, nullptr);
  EXPECT_EQ(types, nullptr);
  EXPECT_EQ(formatCount + typeCount, 0u);
  EXPECT_EQ(pocket_->GetFormatSupport(&formats, nullptr, &types, &typeCount), E_INVALIDARG);
}

TEST_F(DeviceTest, FormatsSupportedPropertyIsAnArrayOfFormatCodes) {
  UniquePropVariant value;
  ASSERT_EQ(pocket_->GetProperty(g_wszWMDMFormatsSupported, value.Put()), S_OK);
  ASSERT_EQ(value.Type(), VT_ARRAY | VT_UI4);
  LONG lower = -1, upper = -1;
  ASSERT_EQ(SafeArrayGetLBound(value->parray, 1, &lower), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(value->parray, 1, &upper), S_OK);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 3);
  LONG index = 3;
  ULONG code = 0;
  ASSERT_EQ(SafeArrayGetElement(value->parray, &index, &code), S_OK);
  EXPECT_EQ(code, 0xBA05u);

  EXPECT_EQ(generic_->GetProperty(g_wszWMDMFormatsSupported, value.Put()), WMDM_E_NOTSUPPORTED);
  EXPECT_EQ(pocket_->GetProperty(W("WMDM/NoSuchProperty"), value.Put()), WMDM_E_NOTSUPPORTED);
}

// A direct lookup on the device looks among the children of its root storage
// (the first medium); the media themselves, and what lies on other media or
// deeper down, are reached only by enumerating.
TEST_F(DeviceTest, GetStorageLooksDirectlyUnderTheRootStorage) {
  DeviceDescription bare;
  bare.name = W("Bare");
  Model().AddDevice(bare);
  ComPtr<IWMDMDevice3> withoutMedia = DeviceNamed(W("Bare"));
  struct Case { IWMDMDevice3* device; const WCHAR* name; HRESULT expected; const WCHAR* found; };
  const Case cases[] = {
      {pocket_.Get(), W("Music"), S_OK, W("Music")},
      {pocket_.Get(), W("pLAYLISTS"), S_OK, W("Playlists")},
      {pocket_.Get(), W("System"), S_OK, W("System")},
      {pocket_.Get(), W("Internal Memory"), S_FALSE, nullptr},
      {pocket_.Get(), W("Storage Card"), S_FALSE, nullptr},
      {pocket_.Get(), W("Podcast.mp3"), S_FALSE, nullptr},  // on the second medium
      {pocket_.Get(), W("Album"), S_FALSE, nullptr},        // two levels down
      {pocket_.Get(), W("Music\\Album"), S_FALSE, nullptr},
      {generic_.Get(), W("\\"), S_FALSE, nullptr},  // its medium is empty
      {withoutMedia.Get(), W("Music"), S_FALSE, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.name));
    ComPtr<IWMDMStorage> found;
    EXPECT_EQ(c.device->GetStorage(c.name, &found), c.expected);
    ASSERT_EQ(found != nullptr, c.found != nullptr);
    if (found) {
      EXPECT_EQ(NameOf(found.Get()), c.found);
    }
  }
  IWMDMStorage* untouched = reinterpret_cast<IWMDMStorage*>(this);
  EXPECT_EQ(pocket_->GetStorage(W("Nothing"), &untouched), S_FALSE);
  EXPECT_EQ(untouched, nullptr) << "a miss hands back no object";
  EXPECT_EQ(pocket_->GetStorage(nullptr, &untouched), E_INVALIDARG);
}

}  // namespace
}  // namespace wmdm_standin
