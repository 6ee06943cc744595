#include "core/kc_wmdm10_plugin.h"

#include <algorithm>

void kcWMDM10Plugin::WriteLog(WString message) {
  message += W("\n");
  if (kiPluginHostCallback* callback = hostCallback_) callback->LogLine(message.c_str());
  OutputDebugStringW(message.c_str());
}

void kcWMDM10Plugin::WriteFixedLog(const WCHAR* line, size_t length) {
  WCHAR text[128];
  if (length + 2 > sizeof(text) / sizeof(text[0])) {
    WriteLog(WString(line, length));
    return;
  }
  std::copy(line, line + length, text);
  text[length] = W('\n');
  text[length + 1] = 0;
  if (kiPluginHostCallback* callback = hostCallback_) callback->LogLine(text);
  OutputDebugStringW(text);
}
