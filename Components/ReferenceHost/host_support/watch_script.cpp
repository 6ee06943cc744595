#include "host_support/watch_script.h"

#include <sstream>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits only: no sign, no spaces, no wrapping past the limit.
bool ParseMilliseconds(const std::string& word, unsigned long* ms) {
  if (word.empty() || word.size() > 12) return false;
  unsigned long long value = 0;
  for (char c : word) {
    if (!IsDigit(c)) return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > kMaxWatchMs) return false;
  *ms = static_cast<unsigned long>(value);
  return true;
}

}  // namespace

bool ParseWatchScript(const std::string& text, std::vector<WatchStep>* steps, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  std::vector<WatchStep> parsed;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    std::istringstream words(line.substr(start));
    WatchStep step;
    step.line = number;
    std::string time, action;
    if (!(words >> time >> action) || (action != "connect" && action != "remove")) {
      *error = where + "expected MILLISECONDS connect|remove PLAYER NAME";
      return false;
    }
    if (!ParseMilliseconds(time, &step.atMs)) {
      *error = where + "the time must be a whole number of milliseconds from 0 to " + std::to_string(kMaxWatchMs);
      return false;
    }
    if (!parsed.empty() && step.atMs < parsed.back().atMs) {
      *error = where + "the steps must be in order of time (" + time + " comes after " +
               std::to_string(parsed.back().atMs) + ")";
      return false;
    }
    step.connect = action == "connect";
    std::getline(words >> std::ws, step.player);
    step.player.erase(step.player.find_last_not_of(" \t") + 1);
    if (step.player.empty()) {
      *error = where + "no player named";
      return false;
    }
    parsed.push_back(step);
  }
  steps->insert(steps->end(), parsed.begin(), parsed.end());
  return true;
}

bool ParseWatchSeconds(const std::string& text, unsigned long* ms, std::string* error) {
  // Whole seconds, then at most three decimals: milliseconds are what the watch counts.
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
  bool wellFormed = !whole.empty() && whole.size() <= 6 && fraction.size() <= 3 &&
                    (point == std::string::npos || !fraction.empty());
  for (char c : whole + fraction) wellFormed = wellFormed && IsDigit(c);
  unsigned long value = 0;
  if (wellFormed) {
    value = std::stoul(whole) * 1000;
    if (!fraction.empty()) value += std::stoul((fraction + "00").substr(0, 3));
  }
  if (!wellFormed || value == 0 || value > kMaxWatchMs) {
    *error = "--seconds takes a positive number of seconds up to " + std::to_string(kMaxWatchMs / 1000) +
             " (such as 30 or 1.5), not '" + text + "'";
    return false;
  }
  *ms = value;
  return true;
}
