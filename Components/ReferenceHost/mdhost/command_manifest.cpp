// mdhost manifest: shows what the plug-in reads from a manifest file.
#include <iostream>

#include "mdhost/command.h"
#include "mdhost/reports_module.h"

int RunManifest(const CommandLine& line) {
  const std::vector<std::string> files = line.Positionals();
  if (files.size() != 1) {
    std::cerr << "usage: " << FindCommand("manifest")->usage << "\n";
    return kExitBadInput;
  }
  std::string problem;
  const int status = RunManifestReport(files.front(), line.Has("--json"), std::cout, &problem);
  if (status != 0) std::cerr << "mdhost manifest: " << problem << "\n";
  return status;
}
