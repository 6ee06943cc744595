// The in-memory registry behind the advapi32 functions: a tree of keys per
// predefined root, the handles open on it and the overrides of the roots. One
// lock guards all of it; every Reg* function takes it for its whole call.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace winapi {

using RegText = std::basic_string<WCHAR>;

struct RegValue {
  RegText name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct RegKey {
  RegText name;
  RegText keyClass;
  bool isVolatile = false;
  bool deleted = false;
  RegKey* parent = nullptr;  // null for a root and once deleted
  FILETIME lastWrite = {0, 0};
  // Sorted as Windows enumerates them: by name without regard to case.
  std::vector<std::shared_ptr<RegKey>> subkeys;
  // In the order they were first written.
  std::vector<RegValue> values;
  // Bumped on each change, for RegNotifyChangeKeyValue: names (subkeys added
  // or removed) and values, each for this key alone and for its whole subtree.
  unsigned long long nameStamp = 0, valueStamp = 0;
  unsigned long long treeNameStamp = 0, treeValueStamp = 0;
};

// What a handle grants and designates.
struct RegHandle {
  std::shared_ptr<RegKey> key;
  REGSAM access = 0;
};

// Result of resolving an HKEY: the key (null on failure) and the error.
struct Resolved {
  RegHandle handle;
  LSTATUS error = ERROR_SUCCESS;
};

class RegistryStore {
 public:
  static RegistryStore& Instance();

  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }

  // Under the lock. A predefined key resolves to its override or its root,
  // with every right; a deleted key answers ERROR_KEY_DELETED.
  Resolved Resolve(HKEY key);
  static bool IsPredefined(HKEY key);
  HKEY Insert(const RegHandle& handle);
  bool Remove(HKEY key);
  LSTATUS Override(HKEY predefined, HKEY replacement);

  // Walks `path` below `from`; null when a part is missing. Empty parts (a
  // trailing "\") are passed over.
  static std::shared_ptr<RegKey> Find(const std::shared_ptr<RegKey>& from, const WCHAR* path);
  static std::shared_ptr<RegKey> FindChild(const RegKey& parent, const RegText& name);
  static std::shared_ptr<RegKey> AddChild(RegKey& parent, const RegText& name, const RegText& keyClass,
                                          bool isVolatile);
  static void RemoveChild(RegKey& parent, const RegKey& child);
  static RegValue* FindValue(RegKey& key, const WCHAR* name);
  static std::vector<RegText> SplitPath(const WCHAR* path);
  static bool NamesEqual(const RegText& a, const RegText& b);

  // Records a change to `key` and wakes the threads waiting for one.
  void Touch(RegKey& key, bool names);
  std::condition_variable& Changed() { return changed_; }

 private:
  RegistryStore();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<RegKey> roots_[7];
  std::shared_ptr<RegKey> overrides_[7];
  std::unordered_map<uintptr_t, RegHandle> handles_;
  uintptr_t nextHandle_ = 0x1000;
};

// The access bits a handle needs for each kind of call.
inline bool Grants(const RegHandle& handle, REGSAM needed) { return (handle.access & needed) == needed; }

FILETIME CurrentFileTime();

// Keys carry no security of their own: each answers with an empty
// self-relative descriptor (header only, no owner, group or lists).
constexpr DWORD kEmptyDescriptorSize = 20;
void WriteEmptyDescriptor(BYTE* descriptor);

}  // namespace winapi
