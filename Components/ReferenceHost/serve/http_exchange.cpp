#include "serve/http_exchange.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Decode(const std::string& text, bool plusIsSpace, std::string* decoded) {
  decoded->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+' && plusIsSpace) {
      *decoded += ' ';
    } else if (text[i] != '%') {
      *decoded += text[i];
    } else {
      const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
      const int low = high < 0 ? -1 : HexValue(text[i + 2]);
      if (low < 0) return false;
      *decoded += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return true;
}

std::string Lookup(const std::map<std::string, std::string>& fields, const std::string& name) {
  const auto found = fields.find(name);
  return found == fields.end() ? std::string() : found->second;
}

}  // namespace

std::string HttpRequest::Header(const std::string& lowerName) const { return Lookup(headers, lowerName); }

std::string HttpRequest::Param(const std::string& name) const { return Lookup(params, name); }

bool SplitTarget(const std::string& target, std::string* path, std::map<std::string, std::string>* params) {
  const size_t question = target.find('?');
  if (target.empty() || target[0] != '/' || !Decode(target.substr(0, question), false, path)) return false;
  if (question == std::string::npos) return true;
  const std::string query = target.substr(question + 1);
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    const std::string field = query.substr(start, end - start);
    const size_t equals = field.find('=');
    std::string name, value;
    if (!Decode(field.substr(0, equals), true, &name) ||
        !Decode(equals == std::string::npos ? std::string() : field.substr(equals + 1), true, &value))
      return false;
    if (!field.empty()) params->emplace(std::move(name), std::move(value));
    start = end + 1;
  }
  return true;
}
