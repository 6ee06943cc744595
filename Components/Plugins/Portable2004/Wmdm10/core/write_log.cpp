#include "core/kc_wmdm10_plugin.h"

void kcWMDM10Plugin::WriteLog(WString message) {
  message += W("\n");
  if (kiPluginHostCallback* callback = hostCallback_) callback->LogLine(message.c_str());
  OutputDebugStringW(message.c_str());
}
