// Modules over the dynamic loader. A module named "X.dll" that does not exist
// under that name is looked for as "libX.so" in the same folder, so callers
// name the plug-in module the same way on both platforms.
#include <winbase.h>
#include <wide_text.h>

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <unistd.h>

#include <string>

namespace {

std::string ToPath(LPCWSTR name) {
  std::string path = wide::ToUtf8(name, wide::Length(name));
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool EndsWithDll(const std::string& path) {
  return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".dll") == 0;
}

// "dir/X.dll" → "dir/libX.so"; empty when the name does not end in ".dll".
std::string SharedObjectName(const std::string& path) {
  if (!EndsWithDll(path)) return std::string();
  const size_t slash = path.rfind('/');
  const size_t stem = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, stem) + "lib" + path.substr(stem, path.size() - 4 - stem) + ".so";
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether a loaded object's file name answers to `wanted`: the whole path when
// `wanted` has a folder, otherwise the file name alone, ignoring case.
bool NameMatches(const std::string& loaded, const std::string& wanted) {
  if (wanted.find('/') != std::string::npos) return strcasecmp(loaded.c_str(), wanted.c_str()) == 0;
  return strcasecmp(BaseName(loaded).c_str(), wanted.c_str()) == 0;
}

struct ModuleSearch {
  std::string wanted;
  std::string alternative;
  std::string found;
};

int VisitLoadedObject(dl_phdr_info* info, size_t, void* raw) {
  auto* search = static_cast<ModuleSearch*>(raw);
  if (!info->dlpi_name || !*info->dlpi_name) return 0;
  const std::string loaded = info->dlpi_name;
  if (NameMatches(loaded, search->wanted) ||
      (!search->alternative.empty() && NameMatches(loaded, search->alternative))) {
    search->found = loaded;
    return 1;
  }
  return 0;
}

std::string FindLoadedPath(const std::string& wanted) {
  ModuleSearch search{wanted, SharedObjectName(wanted), std::string()};
  dl_iterate_phdr(VisitLoadedObject, &search);
  return search.found;
}


std::string ExecutablePath() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
  path.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return path;
}

// The file behind a module handle; empty for a handle that is no module.
bool ModulePath(HMODULE module, std::string& path) {
  if (!module) {
    path = ExecutablePath();
    return true;
  }
  link_map* map = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return false;
  path = (map->l_name && *map->l_name) ? map->l_name : ExecutablePath();
  return true;
}

}  // namespace

// The file to open for a module name: the name itself, or its lib*.so form when
// the name does not exist; a bare name is looked for beside the program first,
// as Windows searches the application's folder first.
static std::string ResolveModulePath(const std::string& name) {
  if (name.find('/') == std::string::npos) {
    const std::string programFolder = ExecutablePath().substr(0, ExecutablePath().rfind('/') + 1);
    const std::string besideProgram = ResolveModulePath(programFolder + name);
    if (Exists(besideProgram)) return besideProgram;
    const std::string alternative = SharedObjectName(name);
    return alternative.empty() ? name : alternative;  // left to the loader's search path
  }
  const std::string alternative = SharedObjectName(name);
  return (alternative.empty() || Exists(name)) ? name : alternative;
}

extern "C" HMODULE LoadLibraryW(LPCWSTR fileName) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::string path = ResolveModulePath(ToPath(fileName));
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    SetLastError(Exists(path) ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return static_cast<HMODULE>(module);
}

extern "C" BOOL FreeLibrary(HMODULE module) {
  if (!module || dlclose(module) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  void* symbol = (module && procName) ? dlsym(module, procName) : nullptr;
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

extern "C" HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  // The program itself is listed by the loader without a name.
  if (!moduleName || NameMatches(ExecutablePath(), ToPath(moduleName)))
    return static_cast<HMODULE>(dlopen(nullptr, RTLD_NOW));
  const std::string path = FindLoadedPath(ToPath(moduleName));
  // RTLD_NOLOAD finds the loaded module; its count is given back at once, since
  // a module handle from here holds no reference.
  void* module = path.empty() ? nullptr : dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  dlclose(module);
  return static_cast<HMODULE>(module);
}

extern "C" DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  std::string path;
  if (!ModulePath(module, path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const WString text = wide::FromUtf8(path);
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() < size) {
    text.copy(fileName, text.size());
    fileName[text.size()] = 0;
    return static_cast<DWORD>(text.size());
  }
  // Truncated to the buffer, terminator included.
  text.copy(fileName, size - 1);
  fileName[size - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}
