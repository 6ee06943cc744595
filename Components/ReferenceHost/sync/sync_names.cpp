#include "sync/sync_names.h"

#include <windows.h>

#include <wide_text.h>

std::string FoldCase(const std::string& relative) {
  bool ascii = true;
  for (const char c : relative) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    std::string folded = relative;
    for (char& c : folded)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    return folded;
  }
  WString units = wide::FromUtf8(relative);
  return wide::ToUtf8(wide::FoldCase(units));
}

PlayerNames::PlayerNames(const PlayerTree& tree) : tree_(tree) {
  for (const auto& item : tree.items) folded_.emplace(FoldCase(item.first), &item);
}

const PlayerNames::Item* PlayerNames::Find(const std::string& relative) const {
  const auto exact = tree_.items.find(relative);
  if (exact != tree_.items.end()) return &*exact;
  const auto folded = folded_.find(FoldCase(relative));
  return folded == folded_.end() ? nullptr : folded->second;
}
