#include <algorithm>

#include "mdhost/command.h"

// A value is never read as an option, so `--title --json` names a title.
size_t CommandLine::Span(size_t i) const {
  const bool takesValue = std::find(valueOptions.begin(), valueOptions.end(), args[i]) != valueOptions.end();
  return takesValue && i + 1 < args.size() ? 2 : 1;
}

bool CommandLine::Has(const std::string& flag) const {
  for (size_t i = 0; i < args.size(); i += Span(i))
    if (args[i] == flag) return true;
  return false;
}

std::vector<std::string> CommandLine::Values(const std::string& option) const {
  std::vector<std::string> values;
  for (size_t i = 0; i < args.size(); i += Span(i))
    if (args[i] == option && i + 1 < args.size()) values.push_back(args[i + 1]);
  return values;
}

std::string CommandLine::Value(const std::string& option, const std::string& fallback) const {
  auto values = Values(option);
  return values.empty() ? fallback : values.back();
}

std::vector<std::string> CommandLine::Positionals() const {
  std::vector<std::string> result;
  for (size_t i = 0; i < args.size(); i += Span(i))
    if (args[i].empty() || args[i][0] != '-') result.push_back(args[i]);
  result.insert(result.end(), operands.begin(), operands.end());
  return result;
}
