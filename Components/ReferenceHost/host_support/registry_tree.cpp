#include "host_support/registry_tree.h"

#include <vector>

namespace {

struct OpenLevel {
  HKEY key;
  WString name;  // relative to the level above
};

}  // namespace

// Depth first without recursion, one open handle per level: go down to a key
// without subkeys, delete it, climb back and look again.
LSTATUS DeleteRegistryTree(HKEY parent, const WString& path) {
  HKEY top = nullptr;
  LSTATUS status = RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, &top);
  if (status != ERROR_SUCCESS) return status;
  std::vector<OpenLevel> levels{{top, path}};
  while (!levels.empty()) {
    WCHAR child[256];
    DWORD length = 256;
    status = RegEnumKeyExW(levels.back().key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
      HKEY key = nullptr;
      status = RegOpenKeyExW(levels.back().key, child, 0, KEY_ALL_ACCESS, &key);
      if (status != ERROR_SUCCESS) break;
      levels.push_back({key, WString(child, length)});
      continue;
    }
    if (status != ERROR_NO_MORE_ITEMS) break;
    const OpenLevel done = levels.back();
    levels.pop_back();
    RegCloseKey(done.key);
    status = RegDeleteKeyW(levels.empty() ? parent : levels.back().key, done.name.c_str());
    if (status != ERROR_SUCCESS) break;
  }
  for (const OpenLevel& level : levels) RegCloseKey(level.key);
  return status;
}
