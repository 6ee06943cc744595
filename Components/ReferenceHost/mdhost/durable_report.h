// The lines of a send or a sync that say a file is on the player, held until
// the player has made it durable: a folder player names a new file without
// waiting for the disk, and one flush covers a batch. The lines keep their
// order and come out after each flush: every few seconds of a long run, and
// at its end.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

class DurableReport {
 public:
  explicit DurableReport(std::ostream& out, std::chrono::milliseconds every = std::chrono::seconds(5))
      : out_(out), every_(every), last_(std::chrono::steady_clock::now()) {}

  void Add(std::string line) { held_.push_back(std::move(line)); }
  // Flushes when the last flush is older than the interval; as Flush.
  bool FlushIfDue(std::ostream& errors);
  // Makes the players' writes durable, then prints the lines held. When the
  // file system reports a failure, each line is printed as not confirmed,
  // the failure goes to `errors`, and the answer is false.
  bool Flush(std::ostream& errors);

 private:
  std::ostream& out_;
  std::chrono::milliseconds every_;
  std::chrono::steady_clock::time_point last_;
  std::vector<std::string> held_;
};
