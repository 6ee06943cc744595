// The children of a folder in the order they are listed, with their names
// indexed: a lookup by name (the plug-in resolves a track by asking its
// folder for it) answers without walking a folder of thousands.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include <wide_text.h>

namespace wmdm_standin {

struct ModelObject;

class ChildList {
 public:
  using Child = std::shared_ptr<ModelObject>;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const Child& operator[](size_t index) const { return items_[index]; }
  const std::vector<Child>& Items() const { return items_; }

  void Insert(size_t position, Child child);
  void Remove(const ModelObject& child);
  void Clear();
  // The child's name changed from `oldName` (its object holds the new one).
  void Renamed(const ModelObject& child, const WString& oldName);
  // Reorders the listing; the names stay as they are.
  void Sort(const std::function<bool(const Child&, const Child&)>& before);

  // The exact name first: a folder on a file system that tells case apart may
  // hold "a.mp3" beside "A.mp3". Case aside (ASCII) only when it names one.
  Child Named(const WString& name) const;
  // Where the child is listed; size() when it is not.
  size_t PositionOf(const ModelObject& child) const;

 private:
  void Index(const Child& child, const WString& name);
  void Unindex(const ModelObject& child, const WString& name);

  std::vector<Child> items_;
  std::unordered_multimap<WString, Child> exact_;
  std::unordered_multimap<WString, Child> caseAside_;  // by the ASCII-lowered name
};

}  // namespace wmdm_standin
