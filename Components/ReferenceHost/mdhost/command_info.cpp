// mdhost info: loads the plug-in module and prints what it says of itself;
// given a media location and a path, one item (command_ls.cpp).
#include <iostream>

#include <unique_bstr.h>

#include "host_support/plugin_module.h"
#include "mdhost/command.h"

int RunItemInfo(const CommandLine& line);

int RunInfo(const CommandLine& line) {
  // With a location and a path, the item's information instead.
  if (!line.Positionals().empty()) return RunItemInfo(line);
  const std::string pluginPath = line.Value("--plugin");
  const WString path = pluginPath.empty() ? DefaultPluginPath() : wide::FromUtf8(pluginPath);
  PluginModule module;
  if (!module.Load(path)) {
    std::cerr << "mdhost info: " << module.Error() << "\n";
    return kExitFailure;
  }
  kiMusicDevicePlugin2004* plugin = module.GetIMDP2004();
  if (!plugin) {
    std::cerr << "mdhost info: GetIMDP2004 returned no plug-in\n";
    return kExitFailure;
  }
  const UniqueBstr name = UniqueBstr::Adopt(plugin->GetPluginName());
  DWORD versionMS = 0, versionLS = 0;
  plugin->GetPluginVersion(&versionMS, &versionLS);
  WCHAR loaded[MAX_PATH * 4] = {};
  const DWORD loadedLength = GetModuleFileNameW(module.Handle(), loaded, MAX_PATH * 4);
  std::cout << "module:  " << wide::ToUtf8(WString(loaded, loadedLength)) << "\n"
            << "sdk:     0x" << std::hex << module.GetIPPSDKVersion(0, 0) << std::dec << "\n"
            << "name:    " << wide::ToUtf8(name.ToString()) << "\n"
            << "version: " << HIWORD(versionMS) << "." << LOWORD(versionMS) << "." << HIWORD(versionLS) << "."
            << LOWORD(versionLS) << "\n";
  module.ReleaseIMDP2004(plugin);
  return kExitOk;
}
