// One message WMDM reported to the notification sink, waiting for the worker.
#pragma once

#include <windows.h>

#include <wide_text.h>

struct kcNotificationEvent {
  DWORD messageType = 0;  // as WMDM passed it
  WString canonicalName;
};
