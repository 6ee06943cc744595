// What the host thread answers a web request with: a status and a JSON body
// (for a refusal, {"error": sentence}).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

// JSON as text; a string that is not UTF-8 (a tag as a player holds it)
// is written with replacement characters rather than failing the answer.
inline std::string JsonText(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

struct ApiAnswer {
  int status = 200;
  nlohmann::json body = nlohmann::json::object();

  static ApiAnswer Ok(nlohmann::json body) { return {200, std::move(body)}; }
  static ApiAnswer Refused(int status, const std::string& sentence) { return {status, {{"error", sentence}}}; }
};
