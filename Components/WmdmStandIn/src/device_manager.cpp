#include "device_manager.h"

#include "device.h"
#include "device_enumerator.h"
#include "notification_point.h"

#include <olectl.h>

namespace wmdm_standin {
namespace {

// The documented revision of the version 10 platform.
constexpr DWORD kRevision = 0x00080000;
constexpr DWORD kSacProtocol = 1;

}  // namespace

ComPtr<DeviceManager> DeviceManager::Create(std::shared_ptr<PlayerModel> model) {
  ComPtr<DeviceManager> manager = MakeComObject<DeviceManager>(std::move(model));
  // The aggregate's inner object holds no reference to its outer object.
  if (manager && FAILED(CoCreateFreeThreadedMarshaler(static_cast<IWMDeviceManager3*>(manager.Get()),
                                                      manager->marshaler_.ReleaseAndGetAddressOf())))
    return nullptr;
  return manager;
}

DeviceManager::DeviceManager(std::shared_ptr<PlayerModel> model) : model_(std::move(model)) {}

DeviceManager::~DeviceManager() { model_->Events().UnadviseOwner(static_cast<IConnectionPointContainer*>(this)); }

HRESULT DeviceManager::QueryOtherInterface(REFIID riid, void** object) {
  if (!IsEqualGUID(riid, IID_IMarshal) || !marshaler_) return E_NOINTERFACE;
  return marshaler_->QueryInterface(riid, object);
}

#define MANAGER_ENTER(method) STANDIN_ENTER(model_->Faults(), ObjectKind::DeviceManager, method, 0)

HRESULT STDMETHODCALLTYPE DeviceManager::GetRevision(DWORD* revision) {
  MANAGER_ENTER("GetRevision");
  return CopyOut(revision, kRevision);
}

HRESULT STDMETHODCALLTYPE DeviceManager::GetDeviceCount(DWORD* count) {
  MANAGER_ENTER("GetDeviceCount");
  return CopyOut(count, static_cast<DWORD>(model_->PresentDeviceViews().size()));
}

HRESULT DeviceManager::NewDeviceEnumerator(IWMDMEnumDevice** enumerator) {
  if (!enumerator) return E_INVALIDARG;
  model_->NoteDevicesEnumerated();
  return MakeComObjectInto<DeviceEnumerator>(enumerator, model_, model_->PresentDeviceViews());
}

HRESULT STDMETHODCALLTYPE DeviceManager::EnumDevices(IWMDMEnumDevice** enumerator) {
  MANAGER_ENTER("EnumDevices");
  return NewDeviceEnumerator(enumerator);
}

HRESULT STDMETHODCALLTYPE DeviceManager::GetDeviceFromCanonicalName(LPCWSTR name, IWMDMDevice** device) {
  MANAGER_ENTER("GetDeviceFromCanonicalName");
  if (!name || !device) return E_INVALIDARG;
  *device = nullptr;
  auto found = model_->ViewByKnownName(name);
  if (!found) return S_FALSE;
  return MakeComObjectInto<Device>(device, model_, *found);
}

HRESULT STDMETHODCALLTYPE DeviceManager::EnumDevices2(IWMDMEnumDevice** enumerator) {
  MANAGER_ENTER("EnumDevices2");
  return NewDeviceEnumerator(enumerator);
}

// Picks up what changed without a message, such as a medium added silently.
HRESULT STDMETHODCALLTYPE DeviceManager::Reinitialize() {
  MANAGER_ENTER("Reinitialize");
  model_->Reinitialize();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DeviceManager::SetDeviceEnumPreference(DWORD preference) {
  MANAGER_ENTER("SetDeviceEnumPreference");
  return model_->SetDeviceEnumPreference(preference);
}

HRESULT STDMETHODCALLTYPE DeviceManager::EnumConnectionPoints(IEnumConnectionPoints**) {
  MANAGER_ENTER("EnumConnectionPoints");
  return NotImplemented("IConnectionPointContainer::EnumConnectionPoints");
}

HRESULT STDMETHODCALLTYPE DeviceManager::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  MANAGER_ENTER("FindConnectionPoint");
  if (!point) return E_POINTER;
  *point = nullptr;
  if (!IsEqualGUID(riid, IID_IWMDMNotification)) return CONNECT_E_NOCONNECTION;
  return MakeComObjectInto<NotificationPoint>(point, model_, static_cast<IConnectionPointContainer*>(this));
}

// The stand-in has no certificates: every handshake step is accepted and
// nothing comes back, so a host that authenticates is not refused.
HRESULT STDMETHODCALLTYPE DeviceManager::SACAuth(DWORD, DWORD, BYTE*, DWORD, BYTE** dataOut, DWORD* dataOutLength) {
  MANAGER_ENTER("SACAuth");
  if (!dataOut || !dataOutLength) return E_INVALIDARG;
  *dataOut = nullptr;
  *dataOutLength = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DeviceManager::SACGetProtocols(DWORD** protocols, DWORD* protocolCount) {
  MANAGER_ENTER("SACGetProtocols");
  if (!protocols || !protocolCount) return E_INVALIDARG;
  auto* list = static_cast<DWORD*>(CoTaskMemAlloc(sizeof(DWORD)));
  if (!list) return E_OUTOFMEMORY;
  *list = kSacProtocol;
  *protocols = list;
  *protocolCount = 1;
  return S_OK;
}

}  // namespace wmdm_standin
