#include "serve/serve_access.h"

#include <algorithm>
#include <cctype>

#include "serve/serve_platform.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool IsLoopbackHost(const std::string& host, int port) {
  const std::string suffix = ":" + std::to_string(port);
  const std::string lower = Lower(host);
  return lower == "127.0.0.1" + suffix || lower == "localhost" + suffix;
}

// An origin as browsers write one, "http://HOST:PORT" and nothing more: a
// path, a user or another scheme makes it another origin.
bool IsOwnOrigin(const std::string& origin, int port) {
  const std::string scheme = "http://";
  return Lower(origin).rfind(scheme, 0) == 0 && IsLoopbackHost(origin.substr(scheme.size()), port);
}

// Compares every character whatever the first difference, so the time taken
// tells nothing of the token.
bool SameToken(const std::string& given, const std::string& expected) {
  if (given.size() != expected.size() || expected.empty()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < expected.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ expected[i]);
  return difference == 0;
}

}  // namespace

std::string NewAccessToken() {
  unsigned char bytes[16];
  if (!ReadSystemRandom(bytes, sizeof(bytes))) return std::string();
  static const char digits[] = "0123456789abcdef";
  std::string token;
  for (unsigned char byte : bytes) {
    token += digits[byte >> 4];
    token += digits[byte & 0xF];
  }
  return token;
}

AccessVerdict CheckAccess(const std::string& host, const std::string& origin, const std::string& token,
                          const std::string& expected, int port) {
  if (!IsLoopbackHost(host, port))
    return {403, "This view answers only at 127.0.0.1:" + std::to_string(port) +
                     " or localhost:" + std::to_string(port) + ", the address mdhost serve printed."};
  if (!origin.empty() && !IsOwnOrigin(origin, port))
    return {403, "Requests from other sites are not answered."};
  if (!SameToken(token, expected))
    return {403, "This view needs the address mdhost serve printed, with its token."};
  return {};
}
