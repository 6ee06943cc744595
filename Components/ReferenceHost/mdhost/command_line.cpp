#include <algorithm>

#include "mdhost/command.h"

bool CommandLine::Has(const std::string& flag) const {
  return std::find(args.begin(), args.end(), flag) != args.end();
}

std::vector<std::string> CommandLine::Values(const std::string& option) const {
  std::vector<std::string> values;
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == option) values.push_back(args[i + 1]);
  return values;
}

std::string CommandLine::Value(const std::string& option, const std::string& fallback) const {
  auto values = Values(option);
  return values.empty() ? fallback : values.back();
}

std::vector<std::string> CommandLine::Positionals(const std::vector<std::string>& optionsWithValues) const {
  std::vector<std::string> result;
  for (size_t i = 0; i < args.size(); ++i) {
    if (std::find(optionsWithValues.begin(), optionsWithValues.end(), args[i]) != optionsWithValues.end()) {
      ++i;
      continue;
    }
    if (args[i].rfind("--", 0) == 0 || (args[i].size() == 2 && args[i][0] == '-')) continue;
    result.push_back(args[i]);
  }
  return result;
}

const std::vector<std::string>& SessionValueOptions() {
  static const std::vector<std::string> options = {"--players", "--player",  "--manifest",
                                                   "--reg",     "--plugin",  "--watch-root"};
  return options;
}
