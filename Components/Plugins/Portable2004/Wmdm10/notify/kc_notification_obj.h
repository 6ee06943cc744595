// The sink WMDM calls when players and media come and go. WMDMMessage only
// queues; a worker thread owned by the sink wakes about once a second and
// hands the queued messages, newest first, to the device-change target, using
// a device manager unmarshalled from the stream the plug-in prepared.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "notify/device_change_target.h"
#include "notify/kc_notification_event.h"
#include "platform/critical_section.h"
#include "platform/wmdm.h"

class kcNotificationObj final : public IWMDMNotification {
 public:
  static constexpr DWORD kWorkerIntervalMs = 1000;

  // A sink with one reference, its worker already running; null when memory or
  // the thread cannot be had. `intervalMs` exists for tests that cannot wait.
  static kcNotificationObj* Create(DeviceChangeTarget* target, DWORD intervalMs = kWorkerIntervalMs);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE WMDMMessage(DWORD messageType, LPCWSTR canonicalName) override;

  // Takes over the plug-in's IWMDeviceManager marshalled for the worker thread.
  void SetMarshalledStream(IStream* stream);

  // Stops every later call of the target and lets go of the device manager
  // (and of the stream, if still unread) on the calling thread. The plug-in
  // calls it before it lets go of the sink: WMDM may hold the last reference
  // for a while and release it from a thread of its own.
  void DetachTarget();

  // One pass over the queue; false once a stop was requested.
  bool ProcessQueue();

 private:
  kcNotificationObj(DeviceChangeTarget* target, DWORD intervalMs);
  ~kcNotificationObj();
  bool StartWorker();
  static unsigned STDMETHODCALLTYPE NotificationThreadProc(void* argument);
  void WaitOneInterval() const;
  void HandleEvent(const kcNotificationEvent& event);
  void HandleArrival(const kcNotificationEvent& event);
  bool EnsureDeviceManager();
  void ReleaseDeviceManager();  // under the queue lock, or once the worker has ended

  IStream* stream_ = nullptr;  // consumed once, by the first arrival
  std::atomic<ULONG> refs_{1};
  DeviceChangeTarget* target_;  // not counted: the plug-in outlives its sink
  std::vector<std::unique_ptr<kcNotificationEvent>> queue_;
  CriticalSection queueLock_;  // guards the queue, the stream and the device manager
  std::atomic<bool> stopRequested_{false};
  HANDLE thread_ = nullptr;
  unsigned threadId_ = 0;
  IWMDeviceManager* deviceManager_ = nullptr;
  const DWORD intervalMs_;
};
