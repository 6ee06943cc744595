// What the plug-in knows about a machine's devices from its registry: the
// device inventory is rebuilt, as Initialize does, over the given .reg files
// (loaded into a sandbox) or, with none, over the process's own registry (on
// Windows the live one), and every record is written out with every field.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Writes the report (text, or JSON when `json`) to `out` and returns 0; returns
// 2 with a reason ("file:line: ...") when a file cannot be read or is
// malformed, and 1 when the sandbox cannot be set up.
int ReportInventory(const std::vector<std::string>& regFiles, bool json, std::ostream& out, std::string* problem);
