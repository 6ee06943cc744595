// The device manager's connection point for IWMDMNotification sinks.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <memory>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class NotificationPoint final : public StandInObject<NotificationPoint, IConnectionPoint> {
 public:
  // `container` is the device manager; sinks advised here belong to it.
  NotificationPoint(std::shared_ptr<PlayerModel> model, IConnectionPointContainer* container);

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  std::shared_ptr<PlayerModel> model_;
  ComPtr<IConnectionPointContainer> container_;
};

}  // namespace wmdm_standin
