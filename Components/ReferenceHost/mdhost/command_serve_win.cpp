// mdhost serve is built on Linux only: see the README's table of answers.
#include <iostream>

#include "mdhost/command.h"

int RunServe(const CommandLine&) {
  std::cerr << "mdhost serve: not in the Windows build; run it from the Linux build\n";
  return kExitBadInput;
}
