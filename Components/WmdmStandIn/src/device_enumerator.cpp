#include "device_enumerator.h"

#include "device.h"

namespace wmdm_standin {

IWMDMEnumDevice* DeviceEnumerator::Create(std::shared_ptr<PlayerModel> model,
                                          std::vector<std::shared_ptr<ModelDevice>> devices) {
  auto* enumerator = new DeviceEnumerator();
  enumerator->model_ = std::move(model);
  enumerator->devices_ = std::move(devices);
  return enumerator;
}

HRESULT STDMETHODCALLTYPE DeviceEnumerator::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IWMDMEnumDevice)) return E_NOINTERFACE;
  *object = static_cast<IWMDMEnumDevice*>(this);
  AddRef();
  return S_OK;
}

std::shared_ptr<ModelDevice> DeviceEnumerator::Take() {
  auto lock = model_->Lock();
  while (position_ < devices_.size()) {
    const auto& device = devices_[position_++];
    if (model_->IsAlive(*device)) return device;
  }
  return nullptr;
}

HRESULT STDMETHODCALLTYPE DeviceEnumerator::Next(ULONG count, IWMDMDevice** devices, ULONG* fetched) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::DeviceEnumerator, "Next", 0);
  if (!devices || (!fetched && count != 1)) return E_INVALIDARG;
  ULONG got = 0;
  while (got < count) {
    auto device = Take();
    if (!device) break;
    devices[got++] = Device::Create(model_, device);
  }
  if (fetched) *fetched = got;
  return got == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DeviceEnumerator::Skip(ULONG count, ULONG* skipped) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::DeviceEnumerator, "Skip", 0);
  ULONG done = 0;
  while (done < count && Take()) ++done;
  if (skipped) *skipped = done;
  return done == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DeviceEnumerator::Reset() {
  STANDIN_ENTER(model_->Faults(), ObjectKind::DeviceEnumerator, "Reset", 0);
  position_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DeviceEnumerator::Clone(IWMDMEnumDevice** clone) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::DeviceEnumerator, "Clone", 0);
  if (!clone) return E_INVALIDARG;
  auto* copy = static_cast<DeviceEnumerator*>(Create(model_, devices_));
  copy->position_ = position_;
  *clone = copy;
  return S_OK;
}

}  // namespace wmdm_standin
