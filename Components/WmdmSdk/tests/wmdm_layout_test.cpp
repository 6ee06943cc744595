// The WMDM declarations must match the platform's binary layout: a method in
// the wrong slot or a structure of the wrong size would call or read the wrong
// thing with no compiler to notice.
#include <mswmdm.h>

#include <gtest/gtest.h>

#include <cstring>

#include <wide_text.h>

#include "wmdm_checked_methods.h"

namespace {

// Both lanes use GCC's member-pointer encoding: a virtual method's pointer
// holds 1 + its byte offset in the vtable.
template <typename Method>
int SlotOf(Method method) {
  static_assert(sizeof(Method) == 2 * sizeof(ptrdiff_t), "member pointer encoding");
  ptrdiff_t raw[2];
  std::memcpy(raw, &method, sizeof(raw));
  return static_cast<int>((raw[0] - 1) / static_cast<ptrdiff_t>(sizeof(void*)));
}

TEST(WmdmLayout, MethodsSitInThePlatformsSlots) {
#define CHECK_SLOT(Interface, Method, slot) EXPECT_EQ(SlotOf(&Interface::Method), slot) << #Interface "::" #Method;
  WMDM_CHECKED_METHODS(CHECK_SLOT)
#undef CHECK_SLOT
}

// A call through the raw vtable lands where the platform's caller would land.
class RecordingNotification : public IWMDMNotification {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE WMDMMessage(DWORD type, LPCWSTR name) override {
    lastType = type;
    lastName = wide::FromPtr(name);
    return S_OK;
  }
  DWORD lastType = 99;
  WString lastName;
};

TEST(WmdmLayout, RawVtableCallReachesTheDeclaredSlot) {
  RecordingNotification sink;
  using MessageFn = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD, LPCWSTR);
  void** vtable = *reinterpret_cast<void***>(static_cast<IWMDMNotification*>(&sink));
  EXPECT_EQ(reinterpret_cast<MessageFn>(vtable[3])(&sink, WMDM_MSG_MEDIA_ARRIVAL, W("dev$0")), S_OK);
  EXPECT_EQ(sink.lastType, static_cast<DWORD>(WMDM_MSG_MEDIA_ARRIVAL));
  EXPECT_EQ(sink.lastName, WString(W("dev$0")));
}

TEST(WmdmLayout, WaveFormatArraysHaveTheTwentyByteStride) {
  _WAVEFORMATEX formats[2] = {};
  EXPECT_EQ(reinterpret_cast<BYTE*>(&formats[1]) - reinterpret_cast<BYTE*>(&formats[0]), 20);
  EXPECT_EQ(offsetof(_WAVEFORMATEX, wBitsPerSample), 14u);
  EXPECT_EQ(offsetof(WMDMID, pID), 8u);
}

TEST(WmdmLayout, IdsReadAsThePlatformPublishesThem) {
  struct IdCase { const GUID& id; const char* text; };
  const IdCase cases[] = {
      {CLSID_MediaDevMgr, "{25BAAD81-3560-11D3-8471-00C04F79DBC0}"},
      {IID_IWMDeviceManager, "{1DCB3A00-33ED-11D3-8470-00C04F79DBC0}"},
      {IID_IWMDeviceManager2, "{923E5249-8731-4C5B-9B1C-B8B60B6E46AF}"},
      {IID_IWMDMStorageControl, "{1DCB3A08-33ED-11D3-8470-00C04F79DBC0}"},
      {IID_IWMDMStorageControl3, "{B3266365-D4F3-4696-8D53-BD27EC60993A}"},
      {IID_IWMDMStorage4, "{C225BAC5-A03A-40B8-9A23-91CF478C64A6}"},
      {IID_IWMDMProgress, "{1DCB3A0C-33ED-11D3-8470-00C04F79DBC0}"},
      {IID_IWMDMNotification, "{3F5E95C0-0F43-4ED4-93D2-C89A45D59B81}"},
  };
  for (const IdCase& c : cases) {
    WCHAR text[40] = {};
    ASSERT_EQ(StringFromGUID2(c.id, text, 40), 39);
    EXPECT_EQ(wide::ToUtf8(text, 38), c.text);
  }
}

TEST(WmdmLayout, ResultCodesKeepTheirValues) {
  EXPECT_EQ(static_cast<DWORD>(WMDM_E_INTERFACEDEAD), 0x80045001u);
  EXPECT_EQ(static_cast<DWORD>(WMDM_E_BUFFERTOOSMALL), 0x80045008u);
  EXPECT_EQ(static_cast<DWORD>(WMDM_E_USER_CANCELLED), 0x8004500Bu);
  EXPECT_EQ(WMDM_MODE_BLOCK | WMDM_CONTENT_FILE | WMDM_STORAGECONTROL_INSERTINTO, 0x805u);
  EXPECT_EQ(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, 0x1001u);
}

}  // namespace
