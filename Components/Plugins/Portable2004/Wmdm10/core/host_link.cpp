#include "core/host_link.h"

#include <algorithm>

void HostLink::WriteLog(WString message) const {
  message += W("\n");
  if (kiPluginHostCallback* callback = callback_) callback->LogLine(message.c_str());
  OutputDebugStringW(message.c_str());
}

void HostLink::WriteFixedLog(const WCHAR* line, size_t length) const {
  WCHAR text[128];
  if (length + 2 > sizeof(text) / sizeof(text[0])) {
    WriteLog(WString(line, length));
    return;
  }
  std::copy(line, line + length, text);
  text[length] = W('\n');
  text[length + 1] = 0;
  if (kiPluginHostCallback* callback = callback_) callback->LogLine(text);
  OutputDebugStringW(text);
}
