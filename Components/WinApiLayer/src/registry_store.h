// The in-memory registry behind the advapi32 functions: a tree of keys per
// predefined root, the handles open on it and the overrides of the roots. One
// lock guards all of it; every Reg* function takes it for its whole call.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <iterator>
#include <list>
#include <map>
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

// Limits Windows documents: a key name (one level of a path) of at most 255
// characters, a value name of at most 16,383, and at most 512 levels of keys
// below a root.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxKeyDepth = 512;

// A name as the registry compares it: upper-cased.
RegText FoldName(const RegText& name);

// Reads a list by index, starting from where the last read ended, from its
// front or from its back, whichever is nearest: reading the indexes in order,
// as enumerations do, costs a constant time a step. A change to the list must
// Reset it.
template <class Container>
class IndexCursor {
 public:
  using Iterator = typename Container::const_iterator;

  // `index` is below the list's size.
  Iterator Seek(const Container& items, size_t index) {
    if (!valid_) {
      at_ = items.begin();
      index_ = 0;
      valid_ = true;
    }
    const size_t fromHere = index > index_ ? index - index_ : index_ - index;
    if (index < fromHere) {
      at_ = items.begin();
      index_ = 0;
    } else if (items.size() - 1 - index < fromHere) {
      at_ = std::prev(items.end());
      index_ = items.size() - 1;
    }
    for (; index_ < index; ++index_) ++at_;
    for (; index_ > index; --index_) --at_;
    return at_;
  }
  void Reset() { valid_ = false; }

 private:
  Iterator at_{};
  size_t index_ = 0;
  bool valid_ = false;
};

struct RegKey;

// The subkeys of a key, in the order Windows enumerates them: by name without
// regard to case.
class SubkeyList {
 public:
  size_t Size() const { return byName_.size(); }
  bool Empty() const { return byName_.empty(); }
  std::shared_ptr<RegKey> Find(const RegText& name) const;
  void Insert(const std::shared_ptr<RegKey>& child);
  void Remove(const RegKey& child);
  // Null past the end.
  const RegKey* At(size_t index) const;
  template <class Visit>
  void ForEach(Visit visit) const {
    for (const auto& entry : byName_) visit(*entry.second);
  }
  // Empties the list into `into`.
  void TakeAll(std::vector<std::shared_ptr<RegKey>>* into);

 private:
  using Map = std::map<RegText, std::shared_ptr<RegKey>>;  // by folded name
  Map byName_;
  mutable IndexCursor<Map> cursor_;
};

// The values of a key, in the order they were first written, found by name
// without regard to case through an index beside the list.
class ValueList {
 public:
  size_t Size() const { return ordered_.size(); }
  RegValue* Find(const RegText& name);
  // Appends a value whose name the list does not hold yet.
  RegValue& Add(RegValue value);
  void Remove(const RegValue& value);
  // Null past the end.
  const RegValue* At(size_t index) const;
  template <class Visit>
  void ForEach(Visit visit) const {
    for (const RegValue& value : ordered_) visit(value);
  }

 private:
  using List = std::list<RegValue>;
  List ordered_;
  std::unordered_map<RegText, List::iterator> byName_;  // by folded name
  mutable IndexCursor<List> cursor_;
};

struct RegKey {
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  // Takes a tree apart level by level, without recursing once per level.
  ~RegKey();

  RegText name;
  RegText keyClass;
  bool isVolatile = false;
  bool deleted = false;
  RegKey* parent = nullptr;  // null for a root and once deleted
  size_t depth = 0;          // levels below its root
  FILETIME lastWrite = {0, 0};
  SubkeyList subkeys;
  ValueList values;
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
  // Resolve, and ERROR_ACCESS_DENIED unless the handle grants `needed`.
  Resolved ResolveFor(HKEY key, REGSAM needed);
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
  // ERROR_INVALID_PARAMETER when a part of the path is longer than a key name may be.
  static LSTATUS CheckPathNames(const std::vector<RegText>& parts);
  static bool NamesEqual(const RegText& a, const RegText& b);

  // Records a change to `key` and wakes the threads waiting for one.
  void Touch(RegKey& key, bool names);
  // A value of `key` was written or deleted: its time and its waiters.
  void ValuesChanged(RegKey& key);
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

// Copies `text` and its terminator into a caller's buffer of `*capacity`
// characters and leaves the length without the terminator there;
// ERROR_MORE_DATA, and nothing copied, when it does not fit.
LSTATUS CopyName(const RegText& text, WCHAR* buffer, DWORD* capacity);

// Keys carry no security of their own: each answers with an empty
// self-relative descriptor (header only, no owner, group or lists).
constexpr DWORD kEmptyDescriptorSize = 20;
void WriteEmptyDescriptor(BYTE* descriptor);

}  // namespace winapi
