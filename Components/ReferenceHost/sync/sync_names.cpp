#include "sync/sync_names.h"

#include <windows.h>

#include <wide_text.h>

namespace {

bool Between(unsigned unit, unsigned first, unsigned last) { return unit >= first && unit <= last; }

// The simple upper-case mapping of the scripts names on players are mostly
// written in; exFAT's own up-case table maps these the same way.
WCHAR UpperUnit(WCHAR original) {
  const unsigned unit = static_cast<unsigned>(original);
  unsigned upper = unit;
  if (Between(unit, 'a', 'z') || (Between(unit, 0xE0, 0xFE) && unit != 0xF7)) upper = unit - 0x20;
  else if (unit == 0xFF) upper = 0x178;
  else if (unit == 0x131) upper = 'I';  // dotless i
  // Latin Extended-A pairs its letters upper first, lower second, with the
  // pairing shifted by one between U+0139 and U+0148 and from U+0179 on.
  else if (Between(unit, 0x100, 0x137) || Between(unit, 0x14A, 0x177)) upper = unit & 1 ? unit - 1 : unit;
  else if (Between(unit, 0x139, 0x148) || Between(unit, 0x179, 0x17E)) upper = unit & 1 ? unit : unit - 1;
  else if (unit == 0x3C2) upper = 0x3A3;  // final sigma
  else if (Between(unit, 0x3B1, 0x3CB)) upper = unit - 0x20;
  else if (Between(unit, 0x430, 0x44F)) upper = unit - 0x20;
  else if (Between(unit, 0x450, 0x45F)) upper = unit - 0x50;
  else if (Between(unit, 0xFF41, 0xFF5A)) upper = unit - 0x20;
  return static_cast<WCHAR>(upper);
}

}  // namespace

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
  for (WCHAR& unit : units) unit = UpperUnit(unit);
  return wide::ToUtf8(units);
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
