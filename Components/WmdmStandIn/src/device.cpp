#include "device.h"

#include <algorithm>
#include <cstring>

#include <unique_safearray.h>

#include "storage.h"
#include "storage_enumerator.h"
#include "storage_globals.h"

namespace wmdm_standin {
namespace {

// MIME types come back in one CoTaskMemAlloc block, the pointer array
// followed by the strings, so that freeing the array, as the platform's
// callers do, frees everything.
LPWSTR* MimeTypeBlock(const std::vector<WString>& types) {
  size_t bytes = types.size() * sizeof(LPWSTR);
  for (const WString& type : types) bytes += (type.size() + 1) * sizeof(WCHAR);
  auto* block = static_cast<LPWSTR*>(CoTaskMemAlloc(bytes));
  if (!block) return nullptr;
  auto* text = reinterpret_cast<WCHAR*>(block + types.size());
  for (size_t i = 0; i < types.size(); ++i) {
    block[i] = text;
    std::memcpy(text, types[i].c_str(), (types[i].size() + 1) * sizeof(WCHAR));
    text += types[i].size() + 1;
  }
  return block;
}

HRESULT FormatsSupportedValue(const std::vector<DWORD>& codes, PROPVARIANT* value) {
  UniqueSafeArray array(SafeArrayCreateVector(VT_UI4, 0, static_cast<ULONG>(codes.size())));
  if (!array) return E_OUTOFMEMORY;
  if (!codes.empty()) {
    ScopedSafeArrayAccess<DWORD> data(array.Get());
    if (!data) return E_OUTOFMEMORY;
    std::copy(codes.begin(), codes.end(), data.Data());
  }
  value->vt = VT_ARRAY | VT_UI4;
  value->parray = array.Release();
  return S_OK;
}

}  // namespace

Device::Device(std::shared_ptr<PlayerModel> model, DeviceView view)
    : model_(std::move(model)), device_(std::move(view.device)), medium_(std::move(view.medium)) {}

std::optional<HRESULT> Device::Enter(const char* method) const {
  if (auto injected = model_->Faults().Enter(ObjectKind::Device, method, device_->id)) return injected;
  if (!model_->IsAlive(*device_)) return WMDM_E_INTERFACEDEAD;
  if (medium_ && !medium_->present) return WMDM_E_INTERFACEDEAD;
  return std::nullopt;
}

std::vector<std::shared_ptr<ModelMedium>> Device::Media() const {
  if (!medium_) return model_->ListedMedia(*device_);
  return {medium_};
}

#define DEVICE_ENTER(method)                         \
  do {                                               \
    if (auto early_ = Enter(method)) return *early_; \
  } while (0)

HRESULT STDMETHODCALLTYPE Device::GetName(LPWSTR name, UINT maxChars) {
  DEVICE_ENTER("GetName");
  return CopyNameOut(Description().name, name, maxChars);
}

HRESULT STDMETHODCALLTYPE Device::GetManufacturer(LPWSTR name, UINT maxChars) {
  DEVICE_ENTER("GetManufacturer");
  if (!Description().manufacturer) return WMDM_E_NOTSUPPORTED;
  return CopyNameOut(*Description().manufacturer, name, maxChars);
}

HRESULT STDMETHODCALLTYPE Device::GetVersion(DWORD* version) {
  DEVICE_ENTER("GetVersion");
  if (!version) return E_INVALIDARG;
  if (!Description().version) return WMDM_E_NOTSUPPORTED;
  *version = *Description().version;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Device::GetType(DWORD* type) {
  DEVICE_ENTER("GetType");
  return CopyOut(type, Description().type);
}

HRESULT STDMETHODCALLTYPE Device::GetSerialNumber(PWMDMID serial, BYTE* mac) {
  DEVICE_ENTER("GetSerialNumber");
  return FillSerialNumber(Description().serial, Description().vendorId, serial, mac);
}

HRESULT STDMETHODCALLTYPE Device::GetPowerSource(DWORD* powerSource, DWORD* percentRemaining) {
  DEVICE_ENTER("GetPowerSource");
  if (!powerSource || !percentRemaining) return E_INVALIDARG;
  *powerSource = Description().powerSource;
  *percentRemaining = Description().powerPercent;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Device::GetStatus(DWORD* status) {
  DEVICE_ENTER("GetStatus");
  return CopyOut(status, Description().status);
}

HRESULT STDMETHODCALLTYPE Device::GetDeviceIcon(ULONG* icon) {
  DEVICE_ENTER("GetDeviceIcon");
  if (!icon) return E_INVALIDARG;
  if (!Description().icon) return WMDM_E_NOTSUPPORTED;
  *icon = Description().icon;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Device::EnumStorage(IWMDMEnumStorage** enumerator) {
  DEVICE_ENTER("EnumStorage");
  if (!enumerator) return E_INVALIDARG;
  auto lock = model_->Lock();
  std::vector<StorageHandle> media;
  for (const auto& medium : Media()) media.push_back(model_->HandleOf(medium->root));
  return MakeComObjectInto<StorageEnumerator>(enumerator, model_, std::move(media), std::nullopt, device_->id,
                                              device_);
}

HRESULT STDMETHODCALLTYPE Device::GetFormatSupport(_WAVEFORMATEX** formats, UINT* formatCount, LPWSTR** mimeTypes,
                                                   UINT* mimeTypeCount) {
  DEVICE_ENTER("GetFormatSupport");
  if (!formats || !formatCount || !mimeTypes || !mimeTypeCount) return E_INVALIDARG;
  *formats = nullptr;
  *mimeTypes = nullptr;
  *formatCount = *mimeTypeCount = 0;
  const auto& waves = Description().waveFormats;
  const auto& types = Description().mimeTypes;
  _WAVEFORMATEX* formatArray = nullptr;
  if (!waves.empty()) {
    formatArray = static_cast<_WAVEFORMATEX*>(CoTaskMemAlloc(waves.size() * sizeof(_WAVEFORMATEX)));
    if (!formatArray) return E_OUTOFMEMORY;
    std::memcpy(formatArray, waves.data(), waves.size() * sizeof(_WAVEFORMATEX));
  }
  LPWSTR* typeBlock = nullptr;
  if (!types.empty() && !(typeBlock = MimeTypeBlock(types))) {
    CoTaskMemFree(formatArray);
    return E_OUTOFMEMORY;
  }
  *formats = formatArray;
  *formatCount = static_cast<UINT>(waves.size());
  *mimeTypes = typeBlock;
  *mimeTypeCount = static_cast<UINT>(types.size());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Device::SendOpaqueCommand(OPAQUECOMMAND*) {
  DEVICE_ENTER("SendOpaqueCommand");
  return NotImplemented("IWMDMDevice::SendOpaqueCommand");
}

// The name is looked up among the children of the device's root storage (its
// first medium), not among the media themselves: a medium is reached by
// enumerating the device's storages.
HRESULT STDMETHODCALLTYPE Device::GetStorage(LPCWSTR name, IWMDMStorage** storage) {
  DEVICE_ENTER("GetStorage");
  auto lock = model_->Lock();
  const auto media = Media();
  return Storage::ChildNamed(model_, media.empty() ? nullptr : media.front()->root.get(), name, storage);
}

HRESULT STDMETHODCALLTYPE Device::GetFormatSupport2(DWORD, _WAVEFORMATEX**, UINT*, _VIDEOINFOHEADER**, UINT*,
                                                    WMFILECAPABILITIES**, UINT*) {
  DEVICE_ENTER("GetFormatSupport2");
  return NotImplemented("IWMDMDevice2::GetFormatSupport2");
}

HRESULT STDMETHODCALLTYPE Device::GetSpecifyPropertyPages(ISpecifyPropertyPages**, IUnknown***, ULONG*) {
  DEVICE_ENTER("GetSpecifyPropertyPages");
  return NotImplemented("IWMDMDevice2::GetSpecifyPropertyPages");
}

HRESULT STDMETHODCALLTYPE Device::GetCanonicalName(LPWSTR name, UINT maxChars) {
  DEVICE_ENTER("GetCanonicalName");
  if (!Description().canonicalName) return WMDM_E_NOTSUPPORTED;
  return CopyNameOut(model_->KnownNameOf({device_, medium_}), name, maxChars);
}

HRESULT STDMETHODCALLTYPE Device::GetProperty(LPCWSTR name, PROPVARIANT* value) {
  DEVICE_ENTER("GetProperty");
  if (!name || !value) return E_INVALIDARG;
  const WString property(name);
  if (property == g_wszWMDMFormatsSupported) {
    if (!Description().formatsSupported) return WMDM_E_NOTSUPPORTED;
    return FormatsSupportedValue(*Description().formatsSupported, value);
  }
  if (property == g_wszWMDMDeviceFriendlyName) {
    BSTR text = SysAllocString(Description().name.c_str());
    if (!text) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
  }
  return WMDM_E_NOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE Device::SetProperty(LPCWSTR, const PROPVARIANT*) {
  DEVICE_ENTER("SetProperty");
  return NotImplemented("IWMDMDevice3::SetProperty");
}

HRESULT STDMETHODCALLTYPE Device::GetFormatCapability(WMDM_FORMATCODE, WMDM_FORMAT_CAPABILITY*) {
  DEVICE_ENTER("GetFormatCapability");
  return NotImplemented("IWMDMDevice3::GetFormatCapability");
}

HRESULT STDMETHODCALLTYPE Device::DeviceIoControl(DWORD, BYTE*, DWORD, BYTE*, DWORD*) {
  DEVICE_ENTER("DeviceIoControl");
  return NotImplemented("IWMDMDevice3::DeviceIoControl");
}

HRESULT STDMETHODCALLTYPE Device::FindStorage(WMDM_FIND_SCOPE, LPCWSTR, IWMDMStorage**) {
  DEVICE_ENTER("FindStorage");
  return NotImplemented("IWMDMDevice3::FindStorage");
}

}  // namespace wmdm_standin
