#include "host_support/watch_script.h"

#include <sstream>

bool ParseWatchScript(const std::string& text, std::vector<WatchStep>* steps, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    std::istringstream words(line.substr(start));
    WatchStep step;
    std::string action;
    if (!(words >> step.atMs >> action) || (action != "connect" && action != "remove")) {
      *error = "line " + std::to_string(number) + ": expected MILLISECONDS connect|remove PLAYER NAME";
      return false;
    }
    step.connect = action == "connect";
    std::getline(words >> std::ws, step.player);
    step.player.erase(step.player.find_last_not_of(" \t") + 1);
    if (step.player.empty()) {
      *error = "line " + std::to_string(number) + ": no player named";
      return false;
    }
    steps->push_back(step);
  }
  return true;
}
