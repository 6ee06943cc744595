// On Windows OutputDebugStringW hands its text to a debugger only as the
// narrow debug-print exception (Wine) or the wide one (newer Windows), so
// reading the exception would lose what the ANSI code page cannot spell.
// Instead the import of OutputDebugStringW in every loaded module is pointed
// at a hook that takes the exact text and then calls the system's function.
// Modules loaded later are covered when the next capture starts.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "debug_output_capture.h"

namespace {

using OutputDebugStringWFn = void(WINAPI*)(LPCWSTR);

std::mutex patchMutex;
OutputDebugStringWFn systemOutput = nullptr;

void WINAPI CapturingOutputDebugStringW(LPCWSTR text) {
  if (text) DebugOutputCapture::Dispatch(WString(text));
  systemOutput(text);
}

template <typename T>
T* At(BYTE* base, DWORD offset) {
  return reinterpret_cast<T*>(base + offset);
}

void Redirect(ULONG_PTR* slot) {
  DWORD protection = 0;
  if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection)) return;
  *slot = reinterpret_cast<ULONG_PTR>(&CapturingOutputDebugStringW);
  VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

// Points every import slot of `module` that holds the system's function at the hook.
void PatchModule(HMODULE module) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  const auto* nt = At<IMAGE_NT_HEADERS>(base, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); entry->Name; ++entry) {
    for (auto* slot = At<IMAGE_THUNK_DATA>(base, entry->FirstThunk); slot->u1.Function; ++slot) {
      if (slot->u1.Function == reinterpret_cast<ULONG_PTR>(systemOutput)) Redirect(&slot->u1.Function);
    }
  }
}

std::vector<HMODULE> LoadedModules() {
  std::vector<HMODULE> modules(1024);
  DWORD bytes = 0;
  if (!EnumProcessModules(GetCurrentProcess(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                          &bytes))
    return {};
  modules.resize(std::min<size_t>(modules.size(), bytes / sizeof(HMODULE)));
  return modules;
}

}  // namespace

void HookDebugOutput() {
  std::lock_guard<std::mutex> lock(patchMutex);
  if (!systemOutput) {
    systemOutput = reinterpret_cast<OutputDebugStringWFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(W("kernel32.dll")), "OutputDebugStringW")));
    if (!systemOutput) return;
  }
  for (HMODULE module : LoadedModules()) PatchModule(module);
}
