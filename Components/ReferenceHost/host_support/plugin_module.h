// Loads the plug-in module at run time, as the host application does, and
// reaches its three exports.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <exports.h>

class PluginModule {
 public:
  PluginModule() = default;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;
  ~PluginModule();

  // Loads the module at `path` and resolves the exports; false with a message
  // in Error() when either fails.
  bool Load(const WString& path);
  void Unload();

  DWORD GetIPPSDKVersion(DWORD a, DWORD b) const { return getVersion_(a, b); }
  kiMusicDevicePlugin2004* GetIMDP2004() const { return getPlugin_(); }
  BOOL ReleaseIMDP2004(kiMusicDevicePlugin2004* plugin) const { return releasePlugin_(plugin); }

  const std::string& Error() const { return error_; }
  HMODULE Handle() const { return module_; }

 private:
  HMODULE module_ = nullptr;
  GetIPPSDKVersionFn getVersion_ = nullptr;
  GetIMDP2004Fn getPlugin_ = nullptr;
  ReleaseIMDP2004Fn releasePlugin_ = nullptr;
  std::string error_;
};

// The folder the running program lives in, with a trailing separator.
WString ProgramDirectory();

// The plug-in module's file name beside the program.
WString DefaultPluginPath();
