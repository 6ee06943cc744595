#include "registry_store.h"

#include <algorithm>
#include <chrono>

namespace winapi {
namespace {

// Windows compares key and value names after upper-casing them. This covers
// the scripts registry names are written in (Latin, Greek, Cyrillic).
WCHAR Upcase(WCHAR c) {
  const unsigned u = c;
  if (u >= 'a' && u <= 'z') return static_cast<WCHAR>(u - 32);
  if (u < 0xE0) return c;
  if (u <= 0xFE) return u == 0xF7 ? c : static_cast<WCHAR>(u - 32);
  if (u == 0xFF) return static_cast<WCHAR>(0x178);
  if (u >= 0x100 && u <= 0x17E && u != 0x130 && u != 0x131 && u != 0x138 && u != 0x149 && u != 0x178) {
    // Latin Extended-A pairs an upper-case letter with the lower-case one after it.
    const bool evenIsLower = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    const bool isLower = evenIsLower ? (u % 2 == 0) : (u % 2 == 1);
    return isLower ? static_cast<WCHAR>(u - 1) : c;
  }
  if (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) return static_cast<WCHAR>(u - 32);
  if (u >= 0x430 && u <= 0x44F) return static_cast<WCHAR>(u - 32);
  if (u >= 0x450 && u <= 0x45F) return static_cast<WCHAR>(u - 80);
  return c;
}

int CompareNames(const RegText& a, const RegText& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const WCHAR x = Upcase(a[i]), y = Upcase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

size_t RootIndex(HKEY key) { return static_cast<size_t>(reinterpret_cast<ULONG_PTR>(key) & 0xF); }

}  // namespace

FILETIME CurrentFileTime() {
  // 100-ns ticks since 1601-01-01.
  const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
  const unsigned long long ticks =
      std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100 + 116444736000000000ULL;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

RegText FoldName(const RegText& name) {
  RegText folded(name);
  for (WCHAR& c : folded) c = Upcase(c);
  return folded;
}

std::shared_ptr<RegKey> SubkeyList::Find(const RegText& name) const {
  const auto found = byName_.find(FoldName(name));
  return found == byName_.end() ? nullptr : found->second;
}

void SubkeyList::Insert(const std::shared_ptr<RegKey>& child) {
  byName_.emplace(FoldName(child->name), child);
  cursor_.Reset();
}

void SubkeyList::Remove(const RegKey& child) {
  const auto found = byName_.find(FoldName(child.name));
  if (found == byName_.end() || found->second.get() != &child) return;
  byName_.erase(found);
  cursor_.Reset();
}

const RegKey* SubkeyList::At(size_t index) const {
  if (index >= byName_.size()) return nullptr;
  return cursor_.Seek(byName_, index)->second.get();
}

void SubkeyList::TakeAll(std::vector<std::shared_ptr<RegKey>>* into) {
  for (auto& entry : byName_) into->push_back(std::move(entry.second));
  byName_.clear();
  cursor_.Reset();
}

RegValue* ValueList::Find(const RegText& name) {
  const auto found = byName_.find(FoldName(name));
  return found == byName_.end() ? nullptr : &*found->second;
}

RegValue& ValueList::Add(RegValue value) {
  RegText folded = FoldName(value.name);
  const auto added = ordered_.insert(ordered_.end(), std::move(value));
  byName_.emplace(std::move(folded), added);
  cursor_.Reset();
  return *added;
}

void ValueList::Remove(const RegValue& value) {
  const auto found = byName_.find(FoldName(value.name));
  if (found == byName_.end() || &*found->second != &value) return;
  ordered_.erase(found->second);
  byName_.erase(found);
  cursor_.Reset();
}

const RegValue* ValueList::At(size_t index) const {
  if (index >= ordered_.size()) return nullptr;
  return &*cursor_.Seek(ordered_, index);
}

RegKey::~RegKey() {
  std::vector<std::shared_ptr<RegKey>> pending;
  subkeys.TakeAll(&pending);
  while (!pending.empty()) {
    std::shared_ptr<RegKey> key = std::move(pending.back());
    pending.pop_back();
    // A key still held elsewhere (by a handle) keeps its own subtree.
    if (key.use_count() == 1) key->subkeys.TakeAll(&pending);
  }
}

RegistryStore& RegistryStore::Instance() {
  static RegistryStore* store = new RegistryStore();  // lives as long as the process
  return *store;
}

RegistryStore::RegistryStore() {
  for (auto& root : roots_) {
    root = std::make_shared<RegKey>();
    root->lastWrite = CurrentFileTime();
  }
}

bool RegistryStore::IsPredefined(HKEY key) {
  const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(key);
  const ULONG_PTR first = reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
  return value >= first && value <= reinterpret_cast<ULONG_PTR>(HKEY_DYN_DATA);
}

Resolved RegistryStore::Resolve(HKEY key) {
  Resolved result;
  if (IsPredefined(key)) {
    const size_t index = RootIndex(key);
    result.handle.key = overrides_[index] ? overrides_[index] : roots_[index];
    result.handle.access = KEY_ALL_ACCESS;
  } else {
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(key));
    if (found == handles_.end()) {
      result.error = ERROR_INVALID_HANDLE;
      return result;
    }
    result.handle = found->second;
  }
  if (result.handle.key->deleted) {
    result.handle = RegHandle();
    result.error = ERROR_KEY_DELETED;
  }
  return result;
}

Resolved RegistryStore::ResolveFor(HKEY key, REGSAM needed) {
  Resolved result = Resolve(key);
  if (result.error == ERROR_SUCCESS && !Grants(result.handle, needed)) result.error = ERROR_ACCESS_DENIED;
  return result;
}

HKEY RegistryStore::Insert(const RegHandle& handle) {
  const uintptr_t value = nextHandle_;
  handles_.emplace(value, handle);
  nextHandle_ += 4;
  return reinterpret_cast<HKEY>(value);
}

bool RegistryStore::Remove(HKEY key) { return handles_.erase(reinterpret_cast<uintptr_t>(key)) == 1; }

LSTATUS RegistryStore::Override(HKEY predefined, HKEY replacement) {
  if (!IsPredefined(predefined) || predefined == HKEY_PERFORMANCE_DATA || predefined == HKEY_DYN_DATA)
    return ERROR_INVALID_HANDLE;
  const size_t index = RootIndex(predefined);
  if (!replacement) {
    overrides_[index].reset();
    return ERROR_SUCCESS;
  }
  const Resolved target = Resolve(replacement);
  if (target.error != ERROR_SUCCESS) return target.error;
  overrides_[index] = target.handle.key;
  return ERROR_SUCCESS;
}

std::vector<RegText> RegistryStore::SplitPath(const WCHAR* path) {
  std::vector<RegText> parts;
  if (!path) return parts;
  // Each name is copied once, whole: every registry call splits its path.
  const WCHAR* start = path;
  for (const WCHAR* p = path;; ++p) {
    if (*p == u'\\' || *p == 0) {
      if (p != start) parts.emplace_back(start, p);
      start = p + 1;
      if (*p == 0) break;
    }
  }
  return parts;
}

bool RegistryStore::NamesEqual(const RegText& a, const RegText& b) { return CompareNames(a, b) == 0; }

LSTATUS RegistryStore::CheckPathNames(const std::vector<RegText>& parts) {
  for (const RegText& part : parts)
    if (part.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

std::shared_ptr<RegKey> RegistryStore::FindChild(const RegKey& parent, const RegText& name) {
  return parent.subkeys.Find(name);
}

std::shared_ptr<RegKey> RegistryStore::Find(const std::shared_ptr<RegKey>& from, const WCHAR* path) {
  std::shared_ptr<RegKey> key = from;
  for (const RegText& part : SplitPath(path)) {
    key = FindChild(*key, part);
    if (!key) return nullptr;
  }
  return key;
}

std::shared_ptr<RegKey> RegistryStore::AddChild(RegKey& parent, const RegText& name, const RegText& keyClass,
                                                bool isVolatile) {
  auto child = std::make_shared<RegKey>();
  child->name = name;
  child->keyClass = keyClass;
  child->isVolatile = isVolatile;
  child->parent = &parent;
  child->depth = parent.depth + 1;
  child->lastWrite = CurrentFileTime();
  parent.subkeys.Insert(child);
  parent.lastWrite = child->lastWrite;
  return child;
}

void RegistryStore::RemoveChild(RegKey& parent, const RegKey& child) {
  parent.subkeys.Remove(child);
  parent.lastWrite = CurrentFileTime();
}

RegValue* RegistryStore::FindValue(RegKey& key, const WCHAR* name) {
  return key.values.Find(name ? RegText(name) : RegText());
}

void RegistryStore::Touch(RegKey& key, bool names) {
  (names ? key.nameStamp : key.valueStamp)++;
  for (RegKey* k = &key; k; k = k->parent) (names ? k->treeNameStamp : k->treeValueStamp)++;
  changed_.notify_all();
}

void RegistryStore::ValuesChanged(RegKey& key) {
  key.lastWrite = CurrentFileTime();
  Touch(key, false);
}

}  // namespace winapi

namespace winapi {

LSTATUS CopyName(const RegText& text, WCHAR* buffer, DWORD* capacity) {
  if (text.size() >= *capacity) return ERROR_MORE_DATA;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  *capacity = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

void WriteEmptyDescriptor(BYTE* descriptor) {
  std::fill(descriptor, descriptor + kEmptyDescriptorSize, BYTE(0));
  descriptor[0] = 1;     // revision
  descriptor[3] = 0x80;  // control: SE_SELF_RELATIVE
}

}  // namespace winapi
