// The hidden files a send or a playlist write fills before they take their
// real name: ".mdsend-PID-N", named after the process that made them, so that
// one left by a process that died can be told from one still being written.
#pragma once

#include <string>

namespace wmdm_standin {

inline constexpr char kTemporaryPrefix[] = ".mdsend-";

// A fresh name in `folder`. It holds nothing of the name it will take, so a
// name of the longest length the medium allows still has a temporary.
std::string TemporaryPathIn(const std::string& folder);

bool IsTemporaryName(const std::string& name);

// Deletes `folder`/`name` when it is a temporary file whose process is gone
// (a send killed part way); true when it did.
bool RemoveIfLeftOver(const std::string& folder, const std::string& name);

}  // namespace wmdm_standin
