// The report commands' way into the reports module (reports/report_module.h):
// loaded beside the program for one report and unloaded again. Same contract
// as the reports themselves: 0, or 1 or 2 with a one-line reason in `problem`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunInventoryReport(const std::vector<std::string>& regFiles, bool json, std::ostream& out, std::string* problem);
int RunManifestReport(const std::string& path, bool json, std::ostream& out, std::string* problem);
