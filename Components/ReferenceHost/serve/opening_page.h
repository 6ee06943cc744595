// --open hands the browser a small page that goes on to the address, rather
// than the address itself: a program's arguments are readable by every
// local user (ps, /proc), and the address carries the token. The page sits
// in the server's spool folder, which only this user can read.
#pragma once

#include <string>

// Writes the page into `folder`; its path in `path`. False when it cannot.
bool WriteOpeningPage(const std::string& folder, const std::string& address, std::string* path);
