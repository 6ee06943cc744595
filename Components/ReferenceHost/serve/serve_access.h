// Who may talk to mdhost serve. The server listens on the loopback address
// only, yet any page the user's browser opens can send requests there, and a
// name the attacker controls can be pointed at 127.0.0.1 (DNS rebinding). So
// every request must carry the random token printed at start, name this
// computer's loopback address in its Host header, and come from no other
// origin.
#pragma once

#include <string>

// 32 hexadecimal digits from the system's random source; empty when it
// cannot be read.
std::string NewAccessToken();

struct AccessVerdict {
  int status = 0;  // 0: allowed; otherwise the HTTP status to refuse with
  std::string sentence;
};

// `host` and `origin` are the request's headers (`origin` empty when the
// browser sent none), `token` the one the request carries.
AccessVerdict CheckAccess(const std::string& host, const std::string& origin, const std::string& token,
                          const std::string& expected, int port);
