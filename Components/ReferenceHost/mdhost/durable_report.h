// The lines of a send or a sync that say a file is on the player, held until
// the player has made it durable: a folder player names a new file without
// waiting for the disk, and one flush covers a batch. The lines keep their
// order and come out after each flush: every few seconds of a long run, and
// at its end.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class DurableReport {
 public:
  explicit DurableReport(std::ostream& out, std::chrono::milliseconds every = std::chrono::seconds(5))
      : out_(out), every_(every), last_(std::chrono::steady_clock::now()) {}

  // `written`: the line says a file was written, and counts in Confirmed
  // once a flush has made it durable.
  void Add(std::string line, bool written = false) { held_.push_back({std::move(line), written}); }
  // Flushes when the last flush is older than the interval; as Flush.
  bool FlushIfDue(std::ostream& errors);
  // Makes the players' writes durable, then prints the lines held. When the
  // file system reports a failure, each line is printed as not confirmed,
  // the failure goes to `errors`, and the answer is false.
  bool Flush(std::ostream& errors);
  // The files known written: lines added as written and printed after a
  // flush that the file system confirmed.
  size_t Confirmed() const { return confirmed_; }

 private:
  std::ostream& out_;
  std::chrono::milliseconds every_;
  std::chrono::steady_clock::time_point last_;
  std::vector<std::pair<std::string, bool>> held_;
  size_t confirmed_ = 0;
};
