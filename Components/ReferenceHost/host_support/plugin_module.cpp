#include "host_support/plugin_module.h"

namespace {

template <typename Fn>
Fn Resolve(HMODULE module, const char* name) {
  // Through void*: the exported functions' types are not FARPROC's.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

PluginModule::~PluginModule() { Unload(); }

bool PluginModule::Load(const WString& path) {
  Unload();
  module_ = LoadLibraryW(path.c_str());
  if (!module_) {
    error_ = "cannot load " + wide::ToUtf8(path) + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  getVersion_ = Resolve<GetIPPSDKVersionFn>(module_, "GetIPPSDKVersion");
  getPlugin_ = Resolve<GetIMDP2004Fn>(module_, "GetIMDP2004");
  releasePlugin_ = Resolve<ReleaseIMDP2004Fn>(module_, "ReleaseIMDP2004");
  if (!getVersion_ || !getPlugin_ || !releasePlugin_) {
    error_ = wide::ToUtf8(path) + " lacks one of the exports GetIPPSDKVersion, GetIMDP2004, ReleaseIMDP2004";
    Unload();
    return false;
  }
  return true;
}

void PluginModule::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  getVersion_ = nullptr;
  getPlugin_ = nullptr;
  releasePlugin_ = nullptr;
}

WString ProgramDirectory() {
  WCHAR buffer[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  WString path(buffer, length);
  const size_t slash = path.find_last_of(W("\\/"));
  return slash == WString::npos ? WString() : path.substr(0, slash + 1);
}

WString DefaultPluginPath() { return ProgramDirectory() + W("MDPlugin.dll"); }
