// Initialize and Shutdown, the registration of the notification sink, and
// the worker's reports of arrivals and removals.
#include <new>

#include <result_macros.h>

#include "base/catch_to_result.h"
#include "core/host_boundary.h"
#include "plugin/kc_wmdm10_plugin.h"
#include "notify/kc_notification_obj.h"

kcWMDM10Plugin::~kcWMDM10Plugin() { ReleaseNotificationSink(); }

HRESULT kcWMDM10Plugin::Initialize(const WCHAR* folderPath, const WCHAR* secondPath) {
  return RunHostSlot([&]() -> HRESULT {
    folderPath_ = wide::FromPtr(folderPath);
    secondPath_ = wide::FromPtr(secondPath);
    link_.SetCallback(nullptr);
    // A second Initialize without Shutdown: let go of the earlier sink first, so
    // that its worker stops and WMDM no longer calls it.
    if (notificationSink_) {
      UnregisterNotifications();
      ReleaseNotificationSink();
    }
    notificationCookie_ = kNotRegistered;
    devices_.Restart();

    RETURN_IF_FAILED(CoInitialize(nullptr));
    ++comInitializations_;
    RETURN_IF_FAILED(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager,
                                      devices_.Manager().AsVoidOut()));
    return RegisterNotifications();
  });
}

HRESULT kcWMDM10Plugin::Shutdown() {
  return RunHostSlot([&]() -> HRESULT {
    {
      // The worker may still be changing the list until the sink is gone.
      ScopedLock lock(lock_);
      devices_.ClearDeviceList();
      // The parent cache outlives the node cache until the next resolution,
      // but not the device manager: no WMDM reference may survive Shutdown.
      resolver_.DropParentCache();
    }
    UnregisterNotifications();
    devices_.Manager().Reset();
    CoFreeUnusedLibraries();
    // Only as often as Initialize joined the apartment: an unmatched
    // CoUninitialize would tear down the host's own.
    for (; comInitializations_ > 0; --comInitializations_) CoUninitialize();
    {
      ScopedLock lock(lock_);
      devices_.ClearInventory();
    }
    ReleaseNotificationSink();
    {
      // Records a worker pass added while the sink was being unregistered.
      ScopedLock lock(lock_);
      if (devices_.Size() > 0) devices_.ClearDeviceList();
    }
    // A host thread's rescan may still be telling the host of its news (the
    // list, cleared, holds none for it to tell next): no callback may come
    // once Shutdown has returned. Not when this thread is the one telling,
    // called back from its own callback.
    for (;;) {
      {
        ScopedLock lock(lock_);
        if (!devices_.NewsHandedOverElsewhere(GetCurrentThreadId())) break;
      }
      Sleep(1);
    }
    devices_.DropSettings();
    return S_OK;
  });
}

HRESULT kcWMDM10Plugin::RegisterNotifications() {
  notificationSink_ = kcNotificationObj::Create(&deviceChangeRelay_);
  if (!notificationSink_) return E_OUTOFMEMORY;
  const ComPtr<IWMDMNotification> notification = notificationSink_;
  ComPtr<IConnectionPointContainer> container;
  RETURN_IF_FAILED(devices_.Manager().As(&container));
  ComPtr<IConnectionPoint> point;
  RETURN_IF_FAILED(container->FindConnectionPoint(IID_IWMDMNotification, &point));
  DWORD cookie = 0;
  RETURN_IF_FAILED(point->Advise(notification.Get(), &cookie));
  notificationCookie_ = cookie;
  ComPtr<IStream> stream;
  RETURN_IF_FAILED(CoMarshalInterThreadInterfaceInStream(IID_IWMDeviceManager, devices_.Manager().Get(), &stream));
  notificationSink_->SetMarshalledStream(std::move(stream));
  return S_OK;
}

HRESULT kcWMDM10Plugin::UnregisterNotifications() {
  if (!notificationSink_ || notificationCookie_ == kNotRegistered) return S_FALSE;
  ComPtr<IConnectionPointContainer> container;
  RETURN_IF_FAILED(devices_.Manager().As(&container));
  ComPtr<IConnectionPoint> point;
  RETURN_IF_FAILED(container->FindConnectionPoint(IID_IWMDMNotification, &point));
  RETURN_IF_FAILED(point->Unadvise(notificationCookie_));
  notificationCookie_ = kNotRegistered;
  ReleaseNotificationSink();
  return S_OK;
}

void kcWMDM10Plugin::ReleaseNotificationSink() {
  if (!notificationSink_) return;
  // WMDM may keep the sink a little longer than we do; from here on it must
  // not reach this object.
  notificationSink_->DetachTarget();
  notificationSink_.Reset();
}

void kcWMDM10Plugin::OnDeviceChange(WString identity, WString name, WString manufacturer, bool arrived) {
  {
    ScopedLock lock(lock_);
    devices_.OnDeviceChange(identity, name, manufacturer, arrived);
  }
  DeliverDeviceNews();
}

void kcWMDM10Plugin::DeliverDeviceNews() {
  {
    ScopedLock lock(lock_);
    if (!devices_.ClaimNews()) return;
  }
  for (;;) {
    DeviceList::DeviceNews news{};
    kiPluginHostCallback* callback = nullptr;
    {
      ScopedLock lock(lock_);
      if (!devices_.NextNews(&news)) return;
      callback = link_.Callback();
    }
    if (!callback) continue;
    // A callback that throws loses its own news, not the rest nor the claim.
    CatchToResult([&] {
      if (news.arrived)
        callback->DeviceArrived(&link_.Plugin(), news.deviceNumber);
      else
        callback->DeviceRemoved(&link_.Plugin(), news.deviceNumber);
      return S_OK;
    });
  }
}
