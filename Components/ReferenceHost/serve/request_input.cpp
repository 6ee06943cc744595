#include "serve/request_input.h"

namespace {

constexpr size_t kLongestPath = 4096;  // bytes of UTF-8

std::string PartProblem(const WString& part) {
  if (part.empty()) return "it holds an empty folder name (two separators in a row)";
  if (part == W(".") || part == W("..")) return "it holds \".\" or \"..\", which name no item on a player";
  return std::string();
}

// "\A\B": every part after the leading separator a real name.
std::string OnePathProblem(const WString& path) {
  if (path.empty()) return std::string();
  if (path[0] != W('\\')) return "it does not start at the medium's root (with \"\\\" or \"/\")";
  if (path.size() == 1) return std::string();
  size_t start = 1;
  while (true) {
    const size_t end = path.find(W('\\'), start);
    const std::string problem = PartProblem(path.substr(start, end == WString::npos ? WString::npos : end - start));
    if (!problem.empty()) return problem;
    if (end == WString::npos) return std::string();
    start = end + 1;
  }
}

}  // namespace

std::string PathProblem(const std::string& text, bool entryAllowed, WString* path) {
  if (text.size() > kLongestPath) return "the path is longer than " + std::to_string(kLongestPath) + " bytes";
  WString decoded;
  size_t bad = 0;
  if (!wide::DecodeUtf8(text, &decoded, &bad)) return "the path is not UTF-8 text";
  for (WCHAR& unit : decoded) {
    if (unit < 0x20 || unit == 0x7F) return "the path holds a control character";
    if (unit == W('/')) unit = W('\\');
  }
  const size_t bar = decoded.find(W('|'));
  std::string problem;
  if (bar == WString::npos) {
    problem = OnePathProblem(decoded);
  } else if (!entryAllowed || decoded.find(W('|'), bar + 1) != WString::npos || bar == 0) {
    problem = "it holds \"|\", which only a playlist entry's identifier (PLAYLIST|TRACK) does";
  } else {
    problem = OnePathProblem(decoded.substr(0, bar));
    if (problem.empty()) problem = OnePathProblem(decoded.substr(bar + 1));
  }
  if (!problem.empty()) return "\"" + wide::EscapeForDisplay(text) + "\" is no path on a player: " + problem;
  *path = decoded;
  return std::string();
}

bool ParseBody(const std::string& body, nlohmann::json* object, std::string* error) {
  *object = nlohmann::json::parse(body, nullptr, false);
  if (object->is_object()) return true;
  *error = "The request's body is not a JSON object.";
  return false;
}

bool TextField(const nlohmann::json& object, const char* name, std::string* value, std::string* error) {
  const auto found = object.find(name);
  if (found == object.end() || !found->is_string()) {
    *error = std::string("The request needs \"") + name + "\" as text.";
    return false;
  }
  *value = found->get<std::string>();
  return true;
}

bool PathField(const nlohmann::json& object, const char* name, bool entryAllowed, WString* path, std::string* error) {
  std::string text;
  if (!TextField(object, name, &text, error)) return false;
  const std::string problem = PathProblem(text, entryAllowed, path);
  if (problem.empty()) return true;
  *error = problem + ".";
  return false;
}

bool CountText(const std::string& text, unsigned long most, unsigned long* value) {
  if (text.empty() || text.size() > 9) return false;
  unsigned long number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned long>(c - '0');
  }
  if (number > most) return false;
  *value = number;
  return true;
}
