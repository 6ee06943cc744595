#include "child_list.h"

#include "model_types.h"

namespace wmdm_standin {
namespace {

void EraseEntry(std::unordered_multimap<WString, ChildList::Child>& index, const WString& key, const ModelObject& child) {
  auto [first, last] = index.equal_range(key);
  for (auto it = first; it != last; ++it) {
    if (it->second.get() != &child) continue;
    index.erase(it);
    return;
  }
}

}  // namespace

void ChildList::Insert(size_t position, Child child) {
  Index(child, child->name);
  items_.insert(items_.begin() + static_cast<ptrdiff_t>(std::min(position, items_.size())), std::move(child));
}

void ChildList::Remove(const ModelObject& child) {
  const size_t position = PositionOf(child);
  if (position == items_.size()) return;
  Unindex(child, child.name);
  items_.erase(items_.begin() + static_cast<ptrdiff_t>(position));
}

void ChildList::Clear() {
  items_.clear();
  exact_.clear();
  caseAside_.clear();
}

void ChildList::Renamed(const ModelObject& child, const WString& oldName) {
  const size_t position = PositionOf(child);
  if (position == items_.size()) return;
  Unindex(child, oldName);
  Index(items_[position], child.name);
}

void ChildList::Sort(const std::function<bool(const Child&, const Child&)>& before) {
  std::stable_sort(items_.begin(), items_.end(), before);
}

ChildList::Child ChildList::Named(const WString& name) const {
  auto exact = exact_.find(name);
  if (exact != exact_.end()) return exact->second;
  auto [first, last] = caseAside_.equal_range(wide::FoldCase(name));
  if (first == last || std::next(first) != last) return nullptr;
  return first->second;
}

size_t ChildList::PositionOf(const ModelObject& child) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == &child) return i;
  return items_.size();
}

void ChildList::Index(const Child& child, const WString& name) {
  exact_.emplace(name, child);
  caseAside_.emplace(wide::FoldCase(name), child);
}

void ChildList::Unindex(const ModelObject& child, const WString& name) {
  EraseEntry(exact_, name, child);
  EraseEntry(caseAside_, wide::FoldCase(name), child);
}

}  // namespace wmdm_standin
