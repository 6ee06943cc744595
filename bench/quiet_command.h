// Running another program from a benchmark, its output thrown away, so that
// mdhost and the tools it is measured against are timed alike.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

// The program's exit status, or -1 when it could not run or was killed.
inline int RunQuietly(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
  pid_t child = 0;
  int status = -1;
  if (posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ) == 0) waitpid(child, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The seconds the program took, or a negative number when it failed.
inline double TimeQuietly(const std::vector<std::string>& argv) {
  const auto start = std::chrono::steady_clock::now();
  const int status = RunQuietly(argv);
  const auto stop = std::chrono::steady_clock::now();
  return status == 0 ? std::chrono::duration<double>(stop - start).count() : -1;
}
