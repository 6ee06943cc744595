#include "notify/kc_notification_obj.h"

#include <process.h>

#include "base/catch_to_result.h"
#include "base/device_text.h"

namespace {

// The worker naps in short slices so that a stop request does not have to
// wait out the whole interval.
constexpr DWORD kNapMs = 20;

}  // namespace

ComPtr<kcNotificationObj> kcNotificationObj::Create(DeviceChangeTarget* target, DWORD intervalMs) {
  ComPtr<kcNotificationObj> sink = MakeComObject<kcNotificationObj>(target, intervalMs);
  if (!sink || !sink->StartWorker()) return nullptr;
  return sink;
}

kcNotificationObj::kcNotificationObj(DeviceChangeTarget* target, DWORD intervalMs)
    : target_(target), intervalMs_(intervalMs) {}

bool kcNotificationObj::StartWorker() {
  thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, NotificationThreadProc, this, 0, &threadId_));
  return thread_ != nullptr;
}

kcNotificationObj::~kcNotificationObj() {
  stopRequested_ = true;
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  // The worker has ended: nothing below races with it.
  queue_.clear();
  ReleaseDeviceManager();
}

void kcNotificationObj::ReleaseDeviceManager() {
  if (!deviceManager_ && stream_) {
    // Reading an unread stream back is how the reference it carries is let go.
    ComPtr<IWMDeviceManager> unused;
    CoGetInterfaceAndReleaseStream(stream_.Detach(), IID_IWMDeviceManager, unused.AsVoidOut());
  }
  stream_.Reset();
  deviceManager_.Reset();
}

HRESULT kcNotificationObj::WMDMMessage(DWORD messageType, LPCWSTR canonicalName) {
  // WMDM called us: the name's copy or the queue's growth failing loses
  // this message, never lets an exception into WMDM's thread.
  return CatchToResult([&] {
    auto event = std::make_unique<kcNotificationEvent>();
    event->messageType = messageType;
    if (canonicalName) event->canonicalName = canonicalName;
    ScopedLock lock(queueLock_);
    queue_.push_back(std::move(event));
    return S_OK;
  });
}

void kcNotificationObj::SetMarshalledStream(ComPtr<IStream> stream) {
  ScopedLock lock(handlingLock_);
  stream_ = std::move(stream);
}

void kcNotificationObj::DetachTarget() {
  ScopedLock lock(handlingLock_);
  target_ = nullptr;
  ReleaseDeviceManager();
}

unsigned STDMETHODCALLTYPE kcNotificationObj::NotificationThreadProc(void* argument) {
  auto* sink = static_cast<kcNotificationObj*>(argument);
  if (!sink) return 0;
  // An apartment of its own, so that the unmarshalled device manager may be
  // called here whatever the platform requires of the calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  // A pass that throws loses the message it was handling, not the worker.
  bool running = true;
  while (running) {
    sink->WaitOneInterval();
    CatchToResult([&] {
      running = sink->ProcessQueue();
      return S_OK;
    });
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

void kcNotificationObj::WaitOneInterval() const {
  const DWORD start = GetTickCount();
  while (!stopRequested_) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= intervalMs_) return;
    const DWORD left = intervalMs_ - elapsed;
    Sleep(left < kNapMs ? left : kNapMs);
  }
}

bool kcNotificationObj::ProcessQueue() {
  std::vector<std::unique_ptr<kcNotificationEvent>> pending;
  {
    ScopedLock lock(queueLock_);
    if (stopRequested_) return false;
    pending.swap(queue_);
  }
  ScopedLock handling(handlingLock_);
  // The newest message first; one that throws loses itself, not the others
  // taken out with it.
  for (auto event = pending.rbegin(); event != pending.rend(); ++event)
    CatchToResult([&] {
      HandleEvent(**event);
      return S_OK;
    });
  return true;
}

void kcNotificationObj::HandleEvent(const kcNotificationEvent& event) {
  switch (event.messageType) {
    case WMDM_MSG_DEVICE_REMOVAL:
    case WMDM_MSG_MEDIA_REMOVAL:
      if (target_) target_->OnDeviceChange(event.canonicalName, WString(), WString(), false);
      break;
    case WMDM_MSG_DEVICE_ARRIVAL:
    case WMDM_MSG_MEDIA_ARRIVAL:
      HandleArrival(event);
      break;
    default:
      break;  // not a message we know: dropped
  }
}

bool kcNotificationObj::EnsureDeviceManager() {
  if (deviceManager_) return true;
  if (!stream_) return false;
  // The stream is consumed by this attempt whatever its outcome.
  return SUCCEEDED(CoGetInterfaceAndReleaseStream(stream_.Detach(), IID_IWMDeviceManager,
                                                  deviceManager_.AsVoidOut())) &&
         deviceManager_;
}

void kcNotificationObj::HandleArrival(const kcNotificationEvent& event) {
  if (!EnsureDeviceManager()) return;
  ComPtr<IWMDeviceManager2> manager2;
  if (FAILED(deviceManager_.As(&manager2))) return;
  ComPtr<IWMDMDevice> device;
  if (FAILED(manager2->GetDeviceFromCanonicalName(event.canonicalName.c_str(), &device)) || !device) return;
  WString name;
  if (FAILED(ReadDeviceName(device.Get(), &name))) return;
  WString manufacturer;
  ReadDeviceManufacturer(device.Get(), &manufacturer);
  if (target_)
    target_->OnDeviceChange(event.canonicalName, name, manufacturer, event.messageType == WMDM_MSG_DEVICE_ARRIVAL);
}
