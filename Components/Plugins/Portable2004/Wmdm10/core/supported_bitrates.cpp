// Which bit rates a device takes for an audio type, from its wave formats and
// MIME types, and the file formats that follow from it.
#include <vector>

#include <unique_safearray.h>
#include <unique_task_mem.h>

#include "core/device_list.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

constexpr WORD kTagEveryFormat = 0xFFFF;

struct AudioType {
  const WCHAR* name;
  DWORD formatCode;
};
const AudioType kAudioTypes[] = {
    {W("mp3"), WMDM_FORMATCODE_MP3}, {W("wma"), WMDM_FORMATCODE_WMA}, {W("wav"), WMDM_FORMATCODE_WAVE}};

DWORD FormatCodeOf(const WString& type) {
  const WString lower = wide::LowerAscii(type);
  for (const AudioType& audio : kAudioTypes)
    if (lower == audio.name) return audio.formatCode;
  return 0;
}

bool TagFits(WORD tag, DWORD formatCode) {
  if (tag >= kTagEveryFormat) return true;
  switch (formatCode) {
    case WMDM_FORMATCODE_WAVE: return tag == 0x0001;                   // PCM
    case WMDM_FORMATCODE_MP3: return tag == 0x0055;                    // MPEG layer 3
    case WMDM_FORMATCODE_WMA: return tag == 0x0160 || tag == 0x0161;   // WMA 1 and 2
  }
  return false;
}

bool MimeFits(const WString& mime, DWORD formatCode) {
  if (mime == W("*/*")) return true;
  switch (formatCode) {
    case WMDM_FORMATCODE_MP3: return mime == W("audio/mp3") || mime == W("audio/mpeg");
    case WMDM_FORMATCODE_WMA: return mime == W("audio/wma") || mime == W("audio/x-ms-wma");
    case WMDM_FORMATCODE_WAVE: return mime == W("audio/wav");
  }
  return false;
}

// A rate joins the list unless it is there already; one smaller than an
// element already listed still goes at the end.
void AddRate(std::vector<LONG>& rates, LONG rate) {
  for (LONG listed : rates) {
    if (listed == rate) return;
    if (listed > rate) {
      rates.push_back(rate);
      return;
    }
  }
  if (rates.empty() || rates.back() < rate) rates.push_back(rate);
}

// The lists GetFormatSupport hands over, freed on every path. Only the two
// list blocks are freed: the MIME texts live inside theirs.
struct FormatLists {
  UniqueTaskMem<_WAVEFORMATEX> formats;
  UINT formatCount = 0;
  UniqueTaskMem<LPWSTR> mimes;
  UINT mimeCount = 0;
};

HRESULT MakeRateArray(const std::vector<LONG>& rates, SAFEARRAY** array) {
  UniqueSafeArray built(SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(rates.size())));
  if (!built) return E_OUTOFMEMORY;
  {
    ScopedSafeArrayAccess<LONG> data(built.Get());
    if (!data) return E_OUTOFMEMORY;
    for (size_t i = 0; i < rates.size(); ++i) data.Data()[i] = rates[i];
  }
  *array = built.Release();
  return S_OK;
}

}  // namespace

HRESULT DeviceList::FindSupportedBitrates(DWORD deviceNumber, const WCHAR* type, SAFEARRAY** bitrates,
                                              BOOL* everyRate) {
  const ComPtr<IWMDMDevice> device = GetDeviceInterface(static_cast<LONG>(deviceNumber));
  if (!device || !type || !bitrates || !everyRate) return IPP_E_FAIL;
  *bitrates = nullptr;
  *everyRate = FALSE;
  link_.WriteLog(WString(W("WMDM10::GetSupportedBitrates called requesting ")) + type);
  const DWORD formatCode = FormatCodeOf(type);
  if (!formatCode) return E_INVALIDARG;

  FormatLists lists;
  HRESULT hr = device->GetFormatSupport(lists.formats.Put(), &lists.formatCount, lists.mimes.Put(), &lists.mimeCount);
  if (FAILED(hr)) return hr;
  if (!lists.formats || !lists.mimes) return S_OK;

  hr = IPP_E_NOTFOUND;
  std::vector<LONG> rates;
  bool lastMatched = false;
  bool takesEveryRate = false;
  for (UINT i = 0; i < lists.formatCount && !takesEveryRate; ++i) {
    const _WAVEFORMATEX& format = lists.formats[i];
    lastMatched = TagFits(format.wFormatTag, formatCode);
    if (!lastMatched) continue;
    hr = S_OK;
    if (format.nAvgBytesPerSec == 0) {
      *everyRate = TRUE;
      takesEveryRate = true;
    } else {
      AddRate(rates, static_cast<LONG>(format.nAvgBytesPerSec * 8));
    }
  }
  if (!takesEveryRate && !lastMatched) {
    for (UINT i = 0; i < lists.mimeCount; ++i) {
      if (lists.mimes[i] && MimeFits(lists.mimes[i], formatCode)) {
        *everyRate = TRUE;
        hr = S_OK;
        break;
      }
    }
  }
  if (!rates.empty()) {
    const HRESULT made = MakeRateArray(rates, bitrates);
    if (FAILED(made)) hr = made;
  }
  return hr;
}

WString DeviceList::SupportedFileFormats(DWORD deviceNumber) {
  // Through the host's interface, as the host would ask: slot 19 takes the
  // lock again on this thread.
  kiMusicDevicePlugin2004* self = &link_.Plugin();
  WString formats;
  for (size_t i = 0; i < sizeof(kAudioTypes) / sizeof(kAudioTypes[0]); ++i) {
    UniqueSafeArray rates;
    BOOL every = FALSE;
    if (self->GetSupportedBitrates(deviceNumber, kAudioTypes[i].name, rates.Put(), &every) != S_OK) continue;
    // The separator follows the candidate's place, not what came before it.
    if (i > 0) formats += W(";");
    formats += W(".");
    formats += kAudioTypes[i].name;
  }
  return formats;
}
