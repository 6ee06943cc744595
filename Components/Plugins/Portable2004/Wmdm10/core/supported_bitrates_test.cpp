#include "testing/plugin_test_harness.h"

#include "host_sdk/ipp_result_codes.h"

namespace {

using wmdm_standin::DeviceDescription;
using wmdm_standin::ObjectKind;

_WAVEFORMATEX Format(WORD tag, DWORD bytesPerSecond) {
  _WAVEFORMATEX format = {};
  format.wFormatTag = tag;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.nAvgBytesPerSec = bytesPerSecond;
  return format;
}

struct Answer {
  HRESULT result = S_OK;
  std::vector<LONG> rates;
  bool hasArray = false;
  BOOL everyRate = FALSE;
};

class SupportedBitratesTest : public PluginHarness {
 protected:
  DWORD ListWith(std::vector<_WAVEFORMATEX> formats, std::vector<WString> mimes) {
    DeviceDescription description = SamplePlayer(W("Pocket"), W("pocket"));
    description.waveFormats = std::move(formats);
    description.mimeTypes = std::move(mimes);
    device_ = AddPlayer(description);
    const std::vector<DWORD> numbers = ListDevices();
    EXPECT_EQ(numbers.size(), 1u);
    return numbers.empty() ? 0 : numbers[0];
  }

  Answer Ask(DWORD number, const WCHAR* type) {
    Answer answer;
    UniqueSafeArray rates;
    answer.result = plugin_.GetSupportedBitrates(number, type, rates.Put(), &answer.everyRate);
    answer.hasArray = static_cast<bool>(rates);
    if (rates) {
      EXPECT_EQ(SafeArrayGetDim(rates.Get()), 1u);
      VARTYPE type = VT_EMPTY;
      EXPECT_EQ(SafeArrayGetVartype(rates.Get(), &type), S_OK);
      EXPECT_EQ(type, VT_I4);
      ScopedSafeArrayAccess<LONG> data(rates.Get());
      answer.rates.assign(data.Data(), data.Data() + rates.Count());
    }
    return answer;
  }

  wmdm_standin::ObjectId device_ = 0;
};

TEST_F(SupportedBitratesTest, CollectsTheRatesOfTheFormatsThatFit) {
  struct Row {
    int line;
    std::vector<_WAVEFORMATEX> formats;
    std::vector<WString> mimes;
    const WCHAR* type;
    HRESULT result;
    std::vector<LONG> rates;
    BOOL everyRate;
  };
  const std::vector<WString> video = {W("video/x-ms-wmv")};
  const std::vector<Row> rows = {
      {__LINE__, {Format(0x55, 16000), Format(0x55, 24000)}, video, W("MP3"), S_OK, {128000, 192000}, FALSE},
      {__LINE__, {Format(0x160, 16000), Format(0x161, 16000)}, video, W("wma"), S_OK, {128000}, FALSE},
      // A smaller rate after a larger one still goes at the end.
      {__LINE__, {Format(0x55, 24000), Format(0x55, 16000), Format(0x55, 24000)}, video, W("mp3"), S_OK,
       {192000, 128000}, FALSE},
      {__LINE__, {Format(1, 176400), Format(0x55, 16000)}, {W("audio/mpeg")}, W("Wav"), S_OK, {1411200}, FALSE},
      // Every rate: the walk stops there.
      {__LINE__, {Format(0x55, 16000), Format(0xFFFF, 0), Format(0x55, 24000)}, video, W("mp3"), S_OK, {128000},
       TRUE},
      {__LINE__, {Format(0xFFFF, 0)}, video, W("wav"), S_OK, {}, TRUE},
      // The MIME types, when the last format did not fit.
      {__LINE__, {Format(0x55, 16000)}, {W("audio/x-ms-wma")}, W("wma"), S_OK, {}, TRUE},
      {__LINE__, {Format(2, 1000)}, {W("audio/wav"), W("*/*")}, W("mp3"), S_OK, {}, TRUE},
      {__LINE__, {Format(0x55, 16000), Format(1, 176400)}, {W("audio/mpeg")}, W("mp3"), S_OK, {128000}, TRUE},
      {__LINE__, {Format(0x55, 16000)}, {W("AUDIO/MPEG")}, W("mp3"), S_OK, {128000}, FALSE},
      // Nothing fits.
      {__LINE__, {Format(0x55, 16000)}, {W("Audio/WMA")}, W("wma"), IPP_E_NOTFOUND, {}, FALSE},
      // A device without one of the two lists answers success and nothing else.
      {__LINE__, {Format(0x55, 16000)}, {}, W("mp3"), S_OK, {}, FALSE},
  };
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const DWORD number = ListWith(row.formats, row.mimes);
    const Answer answer = Ask(number, row.type);
    EXPECT_EQ(answer.result, row.result);
    EXPECT_EQ(answer.rates, row.rates);
    EXPECT_EQ(answer.hasArray, !row.rates.empty());
    EXPECT_EQ(answer.everyRate, row.everyRate);
    model_->RemoveDevice(device_);
  }
}

TEST_F(SupportedBitratesTest, RefusesUnknownTypesDevicesAndMissingArguments) {
  Start();
  const DWORD number = ListWith({Format(0x55, 16000)}, {W("audio/mpeg")});
  EXPECT_EQ(Ask(number, W("ogg")).result, IPP_E_FAIL);
  EXPECT_EQ(Ask(number + 1, W("mp3")).result, IPP_E_FAIL);
  SAFEARRAY* rates = nullptr;
  BOOL every = FALSE;
  EXPECT_EQ(plugin_.GetSupportedBitrates(number, nullptr, &rates, &every), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetSupportedBitrates(number, W("mp3"), nullptr, &every), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetSupportedBitrates(number, W("mp3"), &rates, nullptr), IPP_E_FAIL);
  model_->Faults().Inject(ObjectKind::Device, "GetFormatSupport", static_cast<HRESULT>(0x80045000));
  EXPECT_EQ(Ask(number, W("mp3")).result, IPP_S_BUSY);
}

TEST_F(SupportedBitratesTest, FileFormatsFollowTheCandidatesPlaces) {
  struct Row {
    int line;
    std::vector<_WAVEFORMATEX> formats;
    const WCHAR* text;
  };
  const std::vector<Row> rows = {
      {__LINE__, {Format(0x55, 16000), Format(0x160, 16000), Format(1, 176400)}, W(".mp3;.wma;.wav")},
      {__LINE__, {Format(0x161, 16000)}, W(";.wma")},
      {__LINE__, {Format(0x55, 16000), Format(1, 176400)}, W(".mp3;.wav")},
      {__LINE__, {Format(2, 1000)}, W("")},
  };
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const DWORD number = ListWith(row.formats, {W("video/x-ms-wmv")});
    callback_.ClearEvents();
    EXPECT_EQ(StringProperty(number, W("DeviceSupportedFileFormats")), row.text);
    // Each candidate went through slot 19, taking the lock again.
    size_t asked = 0;
    for (const WString& line : callback_.LogLines())
      asked += line.rfind(W("WMDM10::GetSupportedBitrates called requesting "), 0) == 0;
    EXPECT_EQ(asked, 3u);
    model_->RemoveDevice(device_);
  }
}

}  // namespace
