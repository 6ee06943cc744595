// One player as the platform hands it out: IWMDMDevice to IWMDMDevice3, or
// one medium of it where the provider shows storages as devices. Once the
// player (or that medium) is removed every call but IUnknown's answers
// WMDM_E_INTERFACEDEAD.
#pragma once

#include <mswmdm.h>

#include <memory>
#include <optional>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class Device final : public StandInObject<Device, Chain<IWMDMDevice3, IWMDMDevice2, IWMDMDevice>> {
 public:
  Device(std::shared_ptr<PlayerModel> model, DeviceView view);

  // IWMDMDevice
  HRESULT STDMETHODCALLTYPE GetName(LPWSTR name, UINT maxChars) override;
  HRESULT STDMETHODCALLTYPE GetManufacturer(LPWSTR name, UINT maxChars) override;
  HRESULT STDMETHODCALLTYPE GetVersion(DWORD* version) override;
  HRESULT STDMETHODCALLTYPE GetType(DWORD* type) override;
  HRESULT STDMETHODCALLTYPE GetSerialNumber(PWMDMID serial, BYTE mac[WMDM_MAC_LENGTH]) override;
  HRESULT STDMETHODCALLTYPE GetPowerSource(DWORD* powerSource, DWORD* percentRemaining) override;
  HRESULT STDMETHODCALLTYPE GetStatus(DWORD* status) override;
  HRESULT STDMETHODCALLTYPE GetDeviceIcon(ULONG* icon) override;
  HRESULT STDMETHODCALLTYPE EnumStorage(IWMDMEnumStorage** enumerator) override;
  HRESULT STDMETHODCALLTYPE GetFormatSupport(_WAVEFORMATEX** formats, UINT* formatCount, LPWSTR** mimeTypes,
                                             UINT* mimeTypeCount) override;
  HRESULT STDMETHODCALLTYPE SendOpaqueCommand(OPAQUECOMMAND* command) override;
  // IWMDMDevice2
  HRESULT STDMETHODCALLTYPE GetStorage(LPCWSTR name, IWMDMStorage** storage) override;
  HRESULT STDMETHODCALLTYPE GetFormatSupport2(DWORD flags, _WAVEFORMATEX** audioFormats, UINT* audioFormatCount,
                                              _VIDEOINFOHEADER** videoFormats, UINT* videoFormatCount,
                                              WMFILECAPABILITIES** fileTypes, UINT* fileTypeCount) override;
  HRESULT STDMETHODCALLTYPE GetSpecifyPropertyPages(ISpecifyPropertyPages** pages, IUnknown*** unknowns,
                                                    ULONG* count) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalName(LPWSTR name, UINT maxChars) override;
  // IWMDMDevice3
  HRESULT STDMETHODCALLTYPE GetProperty(LPCWSTR name, PROPVARIANT* value) override;
  HRESULT STDMETHODCALLTYPE SetProperty(LPCWSTR name, const PROPVARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetFormatCapability(WMDM_FORMATCODE format, WMDM_FORMAT_CAPABILITY* support) override;
  HRESULT STDMETHODCALLTYPE DeviceIoControl(DWORD code, BYTE* in, DWORD inSize, BYTE* out, DWORD* outSize) override;
  HRESULT STDMETHODCALLTYPE FindStorage(WMDM_FIND_SCOPE scope, LPCWSTR uniqueId, IWMDMStorage** storage) override;

 private:
  std::optional<HRESULT> Enter(const char* method) const;
  const DeviceDescription& Description() const { return device_->description; }

  std::shared_ptr<PlayerModel> model_;
  // The media this device object shows, first the root storage.
  std::vector<std::shared_ptr<ModelMedium>> Media() const;

  std::shared_ptr<ModelDevice> device_;
  std::shared_ptr<ModelMedium> medium_;  // a medium shown as a device of its own
};

}  // namespace wmdm_standin
