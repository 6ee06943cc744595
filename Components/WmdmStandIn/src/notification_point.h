// The device manager's connection point for IWMDMNotification sinks.
#pragma once

#include "platform/com_ptr.h"
#include "platform/wmdm.h"

#include <memory>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

class NotificationPoint final : public IConnectionPoint {
 public:
  // `container` is the device manager; sinks advised here belong to it.
  static IConnectionPoint* Create(std::shared_ptr<PlayerModel> model, IConnectionPointContainer* container);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  STANDIN_REFCOUNT_METHODS

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  NotificationPoint() = default;

  RefCount refs_;
  std::shared_ptr<PlayerModel> model_;
  ComPtr<IConnectionPointContainer> container_;
};

}  // namespace wmdm_standin
