// The plug-in's line to its host: the callback the host registered (or
// none), the host's context value, the plug-in object the callbacks name,
// and the one logging routine. The nouns that tell the host something hold
// this rather than the plug-in object.
#pragma once

#include <windows.h>

#include <atomic>

#include <wide_text.h>

#include "host_sdk/ki_music_device_plugin2004.h"

class HostLink {
 public:
  explicit HostLink(kiMusicDevicePlugin2004& plugin) : plugin_(plugin) {}
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;

  // The plug-in object as the host sees it: named in every callback, and
  // the way back into its own slots (the tree walk lists through them).
  kiMusicDevicePlugin2004& Plugin() const { return plugin_; }
  kiPluginHostCallback* Callback() const { return callback_; }
  void SetCallback(kiPluginHostCallback* callback) { callback_ = callback; }
  DWORD Context() const { return context_; }
  void SetContext(DWORD context) { context_ = context; }

  // Appends a line feed and hands the text to the host callback and the
  // debugger output. Runs under the caller's lock.
  void WriteLog(WString message) const;
  // A fixed line ("WMDM10::FindNextItem called"), written without building a
  // string: the listing slots log once per item.
  template <size_t N>
  void WriteLog(const WCHAR (&line)[N]) const {
    WriteFixedLog(line, N - 1);
  }
  void WriteFixedLog(const WCHAR* line, size_t length) const;

 private:
  kiMusicDevicePlugin2004& plugin_;
  // Not owned; the host keeps it alive. Atomic because the host may set it
  // while the notification worker reports an arrival.
  std::atomic<kiPluginHostCallback*> callback_{nullptr};
  DWORD context_ = 0;
};
