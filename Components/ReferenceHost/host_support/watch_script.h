// The timed player changes a host (mdhost watch) plays against the WMDM stand-in: one a
// line, "MILLISECONDS connect|remove PLAYER NAME"; blank lines and lines
// starting with # are ignored.
#pragma once

#include <string>
#include <vector>

struct WatchStep {
  unsigned long atMs = 0;
  bool connect = false;  // else remove
  std::string player;
};

// False with "line N: reason" in `error` when a line is not understood.
bool ParseWatchScript(const std::string& text, std::vector<WatchStep>* steps, std::string* error);
