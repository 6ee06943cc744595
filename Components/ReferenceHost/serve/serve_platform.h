// What mdhost serve asks of the system, one file per platform
// (serve_platform_posix.cpp, serve_platform_win.cpp).
#pragma once

#include <cstddef>
#include <string>

// Fills `bytes` from the system's random source; false when it cannot.
bool ReadSystemRandom(unsigned char* bytes, std::size_t count);

// Makes a new folder, readable by this user only where the system has such
// rights, below the system's folder for temporary files (`parent` empty) or
// below `parent`; its path (UTF-8) in `made`. False when it cannot, with the
// folder it tried in `made`.
bool MakeTemporaryFolder(const std::string& parent, const std::string& prefix, std::string* made);

// Asks the desktop to open `address` in the user's browser; false when it
// could not even ask.
bool OpenInBrowser(const std::string& address);
