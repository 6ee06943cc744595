// What a listing leaves out: hidden and system storages, the device's hidden
// folders and files of formats the device does not play.
#include "content/item_filter.h"

#include <algorithm>
#include <utility>

#include <result_macros.h>
#include <unique_bstr.h>

#include "content/item_listings.h"
#include "content/locations.h"
#include "content/storage_items.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

constexpr UINT kNameChars = 259;

}  // namespace

bool IsHiddenFolder(const kcDeviceSettings& settings, const WString& path) {
  return std::find(settings.HiddenFolder.begin(), settings.HiddenFolder.end(), path) != settings.HiddenFolder.end();
}

HRESULT StoragePath(IWMDMStorage* storage, WString* path) {
  if (!storage || !path) return IPP_E_FAIL;
  path->clear();
  ComPtr<IWMDMStorage> current(storage);
  for (;;) {
    ComPtr<IWMDMStorage4> withParent;
    if (FAILED(current.As(&withParent)) || !withParent) break;
    ComPtr<IWMDMStorage> parent;
    if (FAILED(withParent->GetParent(&parent)) || !parent) break;
    WCHAR name[kNameChars + 1] = {};
    RETURN_IF_FAILED(current->GetName(name, kNameChars));
    path->insert(0, W("\\") + WString(name));
    current = std::move(parent);
  }
  return S_OK;
}

bool ItemListings::IsShown(LONG deviceNumber, const ComPtr<IWMDMStorage>& storage, std::basic_string_view<WCHAR> path,
                           LONG* kind, StorageFacts* facts) {
  DeviceRecord* record = devices_.FindDeviceRecord(deviceNumber);
  if (!record || !storage) return false;
  LONG found = KindClassify;
  if (!ClassifyStorage(*record, storage, &found, facts)) return false;
  if (kind) *kind = found;
  if (found == KindFolder)
    return !(record->settings && !path.empty() && IsHiddenFolder(*record->settings, WString(path.substr(1))));
  if (found != KindFile) return true;

  const size_t dot = path.rfind(W('.'));
  if (dot == path.npos) return false;
  // Lower-cased in place: an extension is short enough for the string's own
  // buffer, so a listed file costs no allocation here.
  WString extension(path.substr(dot));
  for (WCHAR& c : extension) c = wide::LowerAscii(c);
  if (record->supportedFormats.empty()) {
    UniqueBstr formats;
    if (SUCCEEDED(host_.Plugin().GetDevicePropertyString(static_cast<DWORD>(deviceNumber),
                                                         W("DeviceSupportedFileFormats"), formats.Put())))
      record->supportedFormats = formats.ToString();
  }
  // A plain search on purpose: the text is a list the device model writes,
  // and a partial extension that occurs in it counts as supported.
  return record->supportedFormats.find(extension) != WString::npos;
}
