#include "notification_point.h"

#include <olectl.h>

namespace wmdm_standin {

NotificationPoint::NotificationPoint(std::shared_ptr<PlayerModel> model, IConnectionPointContainer* container)
    : model_(std::move(model)), container_(container) {}

HRESULT STDMETHODCALLTYPE NotificationPoint::GetConnectionInterface(IID* iid) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::ConnectionPoint, "GetConnectionInterface", 0);
  if (!iid) return E_POINTER;
  *iid = IID_IWMDMNotification;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE NotificationPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::ConnectionPoint, "GetConnectionPointContainer", 0);
  return container_.CopyTo(container);
}

HRESULT STDMETHODCALLTYPE NotificationPoint::Advise(IUnknown* sink, DWORD* cookie) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::ConnectionPoint, "Advise", 0);
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  ComPtr<IWMDMNotification> notification;
  if (FAILED(sink->QueryInterface(IID_IWMDMNotification, notification.AsVoidOut()))) return CONNECT_E_CANNOTCONNECT;
  *cookie = model_->Events().Advise(notification.Get(), container_.Get());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE NotificationPoint::Unadvise(DWORD cookie) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::ConnectionPoint, "Unadvise", 0);
  return model_->Events().Unadvise(cookie, container_.Get()) ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE NotificationPoint::EnumConnections(IEnumConnections**) {
  STANDIN_ENTER(model_->Faults(), ObjectKind::ConnectionPoint, "EnumConnections", 0);
  return NotImplemented("IConnectionPoint::EnumConnections");
}

}  // namespace wmdm_standin
