// The timed player changes a host (mdhost watch) plays against the WMDM stand-in: one a
// line, "MILLISECONDS connect|remove PLAYER NAME", in order of time; blank
// lines and lines starting with # are ignored.
#pragma once

#include <string>
#include <vector>

// The longest watch: a day.
constexpr unsigned long kMaxWatchMs = 86400ul * 1000;

struct WatchStep {
  unsigned long atMs = 0;
  bool connect = false;  // else remove
  std::string player;
  int line = 0;
};

// False with "line N: reason" in `error` when a line is not understood, a time
// is not a whole number of milliseconds up to a day, or goes back.
bool ParseWatchScript(const std::string& text, std::vector<WatchStep>* steps, std::string* error);

// The watch's length from --seconds: a positive number of seconds (fractions
// allowed) up to a day. False with the reason.
bool ParseWatchSeconds(const std::string& text, unsigned long* ms, std::string* error);
