// mdhost inventory: what the plug-in reads about a machine's devices from the
// registry, from .reg exports of it or (on Windows, with none given) the live one.
#include <iostream>

#include "mdhost/command.h"
#include "mdhost/reports_module.h"

int RunInventory(const CommandLine& line) {
  std::string problem;
  const int status = RunInventoryReport(line.Values("--reg"), line.Has("--json"), std::cout, &problem);
  if (status != 0) std::cerr << "mdhost inventory: " << problem << "\n";
  return status;
}
