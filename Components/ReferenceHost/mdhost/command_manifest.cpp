// mdhost manifest: shows what the plug-in reads from a manifest file.
#include <iostream>

#include "host_support/manifest_report.h"
#include "mdhost/command.h"

int RunManifest(const CommandLine& line) {
  const std::vector<std::string> files = line.Positionals({});
  if (files.size() != 1) {
    std::cerr << "usage: mdhost manifest FILE [--json]\n";
    return kExitBadInput;
  }
  std::string problem;
  const int status = ReportManifest(files.front(), line.Has("--json"), std::cout, &problem);
  if (status != 0) std::cerr << "mdhost manifest: " << problem << "\n";
  return status;
}
