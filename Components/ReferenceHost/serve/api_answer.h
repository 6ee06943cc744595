// What the host thread answers a web request with: a status and a JSON body
// (for a refusal, {"error": sentence}).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

struct ApiAnswer {
  int status = 200;
  nlohmann::json body = nlohmann::json::object();

  static ApiAnswer Ok(nlohmann::json body) { return {200, std::move(body)}; }
  static ApiAnswer Refused(int status, const std::string& sentence) { return {status, {{"error", sentence}}}; }
};
