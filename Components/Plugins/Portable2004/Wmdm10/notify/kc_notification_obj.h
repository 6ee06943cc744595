// The sink WMDM calls when players and media come and go. WMDMMessage only
// queues; a worker thread owned by the sink wakes about once a second, takes
// the queued messages out and hands them, newest first, to the device-change
// target, using a device manager unmarshalled from the stream the plug-in
// prepared. The queue's lock is never held while a message is handled: the
// target waits for the plug-in's lock, which a send may hold for minutes, and
// WMDM must be able to queue the next message meanwhile.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include <com_object.h>
#include <com_ptr.h>
#include <critical_section.h>
#include <mswmdm.h>

#include "notify/device_change_target.h"
#include "notify/kc_notification_event.h"

class kcNotificationObj final : public ComObject<kcNotificationObj, IWMDMNotification> {
 public:
  static constexpr DWORD kWorkerIntervalMs = 1000;

  // A sink with one reference, its worker already running; null when memory or
  // the thread cannot be had. `intervalMs` exists for tests that cannot wait.
  static ComPtr<kcNotificationObj> Create(DeviceChangeTarget* target, DWORD intervalMs = kWorkerIntervalMs);

  kcNotificationObj(DeviceChangeTarget* target, DWORD intervalMs);
  // Stops the worker and waits for it.
  ~kcNotificationObj();

  HRESULT STDMETHODCALLTYPE WMDMMessage(DWORD messageType, LPCWSTR canonicalName) override;

  // Takes over the plug-in's IWMDeviceManager marshalled for the worker thread.
  void SetMarshalledStream(ComPtr<IStream> stream);

  // Stops every later call of the target and lets go of the device manager
  // (and of the stream, if still unread) on the calling thread. The plug-in
  // calls it before it lets go of the sink: WMDM may hold the last reference
  // for a while and release it from a thread of its own. Waits for a pass
  // under way, so the caller must not hold the lock the target takes.
  void DetachTarget();

  // One pass over the queue; false once a stop was requested.
  bool ProcessQueue();

 private:
  bool StartWorker();
  static unsigned STDMETHODCALLTYPE NotificationThreadProc(void* argument);
  void WaitOneInterval() const;
  void HandleEvent(const kcNotificationEvent& event);
  void HandleArrival(const kcNotificationEvent& event);
  bool EnsureDeviceManager();
  void ReleaseDeviceManager();  // under the handling lock, or once the worker has ended

  // Guarded by the handling lock, which a pass holds while it hands messages on.
  ComPtr<IStream> stream_;  // consumed once, by the first arrival
  DeviceChangeTarget* target_;  // not counted: the plug-in outlives its sink
  CriticalSection handlingLock_;
  // Guarded by the queue lock, which is held only to add or take messages.
  std::vector<std::unique_ptr<kcNotificationEvent>> queue_;
  CriticalSection queueLock_;
  std::atomic<bool> stopRequested_{false};
  HANDLE thread_ = nullptr;
  unsigned threadId_ = 0;
  ComPtr<IWMDeviceManager> deviceManager_;  // guarded by the handling lock
  const DWORD intervalMs_;
};
