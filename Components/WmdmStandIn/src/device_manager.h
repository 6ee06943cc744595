// The device manager object, the one an application creates under
// CLSID_MediaDevMgr: IWMDeviceManager to IWMDeviceManager3, the connection
// point container for notifications, and IComponentAuthenticate. It hands out
// IWMDeviceManager without authentication. It aggregates the free-threaded
// marshaler, so marshalling it to another thread hands over the object itself
// (the platform's is callable from any thread).
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <memory>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class DeviceManager final
    : public StandInObject<DeviceManager, Chain<IWMDeviceManager3, IWMDeviceManager2, IWMDeviceManager>,
                           IConnectionPointContainer, IComponentAuthenticate> {
 public:
  // A new object with one reference; null when it or its marshaler cannot be made.
  static ComPtr<DeviceManager> Create(std::shared_ptr<PlayerModel> model);

  explicit DeviceManager(std::shared_ptr<PlayerModel> model);
  ~DeviceManager();

  // IMarshal, from the aggregated free-threaded marshaler.
  HRESULT QueryOtherInterface(REFIID riid, void** object);

  // IWMDeviceManager
  HRESULT STDMETHODCALLTYPE GetRevision(DWORD* revision) override;
  HRESULT STDMETHODCALLTYPE GetDeviceCount(DWORD* count) override;
  HRESULT STDMETHODCALLTYPE EnumDevices(IWMDMEnumDevice** enumerator) override;
  // IWMDeviceManager2
  HRESULT STDMETHODCALLTYPE GetDeviceFromCanonicalName(LPCWSTR name, IWMDMDevice** device) override;
  HRESULT STDMETHODCALLTYPE EnumDevices2(IWMDMEnumDevice** enumerator) override;
  HRESULT STDMETHODCALLTYPE Reinitialize() override;
  // IWMDeviceManager3
  HRESULT STDMETHODCALLTYPE SetDeviceEnumPreference(DWORD preference) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
  // IComponentAuthenticate
  HRESULT STDMETHODCALLTYPE SACAuth(DWORD protocol, DWORD pass, BYTE* dataIn, DWORD dataInLength, BYTE** dataOut,
                                    DWORD* dataOutLength) override;
  HRESULT STDMETHODCALLTYPE SACGetProtocols(DWORD** protocols, DWORD* protocolCount) override;

 private:
  HRESULT NewDeviceEnumerator(IWMDMEnumDevice** enumerator);

  std::shared_ptr<PlayerModel> model_;
  ComPtr<IUnknown> marshaler_;  // inner object of the aggregate
};

}  // namespace wmdm_standin
