#include "notify/kc_notification_obj.h"

#include <process.h>

#include <new>

#include "platform/com_ptr.h"

namespace {

// The worker naps in short slices so that a stop request does not have to
// wait out the whole interval.
constexpr DWORD kNapMs = 20;
constexpr UINT kNameChars = 259;  // offered to WMDM; the buffers hold one more

}  // namespace

kcNotificationObj* kcNotificationObj::Create(DeviceChangeTarget* target, DWORD intervalMs) {
  auto* sink = new (std::nothrow) kcNotificationObj(target, intervalMs);
  if (!sink) return nullptr;
  if (!sink->StartWorker()) {
    sink->Release();
    return nullptr;
  }
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
    void* unused = nullptr;
    if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream_, IID_IWMDeviceManager, &unused)) && unused)
      static_cast<IUnknown*>(unused)->Release();
  }
  stream_ = nullptr;
  if (deviceManager_) deviceManager_->Release();
  deviceManager_ = nullptr;
}

HRESULT kcNotificationObj::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualGUID(riid, IID_IWMDMNotification) && !IsEqualGUID(riid, IID_IUnknown)) return E_NOINTERFACE;
  *object = static_cast<IWMDMNotification*>(this);
  AddRef();
  return S_OK;
}

ULONG kcNotificationObj::AddRef() { return ++refs_; }

ULONG kcNotificationObj::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT kcNotificationObj::WMDMMessage(DWORD messageType, LPCWSTR canonicalName) {
  auto event = std::unique_ptr<kcNotificationEvent>(new (std::nothrow) kcNotificationEvent);
  if (!event) return E_OUTOFMEMORY;
  event->messageType = messageType;
  if (canonicalName) event->canonicalName = canonicalName;
  ScopedLock lock(queueLock_);
  queue_.push_back(std::move(event));
  return S_OK;
}

void kcNotificationObj::SetMarshalledStream(IStream* stream) {
  ScopedLock lock(queueLock_);
  if (stream_) stream_->Release();
  stream_ = stream;
}

void kcNotificationObj::DetachTarget() {
  ScopedLock lock(queueLock_);
  target_ = nullptr;
  ReleaseDeviceManager();
}

unsigned STDMETHODCALLTYPE kcNotificationObj::NotificationThreadProc(void* argument) {
  auto* sink = static_cast<kcNotificationObj*>(argument);
  if (!sink) return 0;
  // An apartment of its own, so that the unmarshalled device manager may be
  // called here whatever the platform requires of the calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  do {
    sink->WaitOneInterval();
  } while (sink->ProcessQueue());
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
  ScopedLock lock(queueLock_);
  if (stopRequested_) return false;
  while (!queue_.empty()) {
    // The newest message first.
    std::unique_ptr<kcNotificationEvent> event = std::move(queue_.back());
    queue_.pop_back();
    HandleEvent(*event);
  }
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
  IStream* stream = stream_;
  stream_ = nullptr;  // consumed by this attempt whatever its outcome
  void* manager = nullptr;
  if (FAILED(CoGetInterfaceAndReleaseStream(stream, IID_IWMDeviceManager, &manager)) || !manager) return false;
  deviceManager_ = static_cast<IWMDeviceManager*>(manager);
  return true;
}

void kcNotificationObj::HandleArrival(const kcNotificationEvent& event) {
  if (!EnsureDeviceManager()) return;
  ComPtr<IWMDeviceManager> manager(deviceManager_);
  ComPtr<IWMDeviceManager2> manager2;
  if (FAILED(manager.As(&manager2))) return;
  ComPtr<IWMDMDevice> device;
  if (FAILED(manager2->GetDeviceFromCanonicalName(event.canonicalName.c_str(), &device)) || !device) return;
  WCHAR name[kNameChars + 1] = {};
  if (FAILED(device->GetName(name, kNameChars))) return;
  WCHAR manufacturer[kNameChars + 1] = {'u', 'n', 'k', 'n', 'o', 'w', 'n', 0};
  device->GetManufacturer(manufacturer, kNameChars);
  manufacturer[kNameChars] = 0;
  name[kNameChars] = 0;
  if (target_)
    target_->OnDeviceChange(event.canonicalName, name, manufacturer, event.messageType == WMDM_MSG_DEVICE_ARRIVAL);
}
