#include "serve/hidden_names.h"

#include "mdhost/player_formats.h"

std::string HiddenNameProblem(const std::string& name) {
  if (!name.empty() && name[0] == '.') return "a name starting with \".\" is hidden on the player, so it would not be listed";
  return std::string();
}

std::string RenameHidingProblem(bool folder, const std::string& oldName, const std::string& newName) {
  const std::string hidden = HiddenNameProblem(newName);
  if (!hidden.empty() || folder) return hidden;
  const std::string kept = LowerExtension(oldName);
  if (LowerExtension(newName) == kept) return std::string();
  if (kept.empty()) return "the new name would give it an extension it does not have";
  return "the player lists a file by its extension, so without \"" + kept +
         "\" at the end of its name it would vanish from the player's listings";
}
