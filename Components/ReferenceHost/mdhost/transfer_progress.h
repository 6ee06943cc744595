// How a run of sends shows its progress on the error stream. On a terminal,
// one live line redrawn in place: files done of all, bytes, rate and time
// left. Elsewhere (a log, a pipe) one line per file as it starts.
#pragma once

#include <windows.h>

#include <chrono>
#include <ostream>
#include <string>

class TransferProgress {
 public:
  TransferProgress(std::ostream& out, bool live, size_t files, ULONGLONG bytes);
  ~TransferProgress();
  TransferProgress(const TransferProgress&) = delete;
  TransferProgress& operator=(const TransferProgress&) = delete;

  // File `index` (from 1) of `bytes` starts: "sending WHAT".
  void Starting(size_t index, ULONGLONG bytes, const std::string& what);
  // The file in hand is done; its bytes count as done.
  void Finished();
  // Takes the live line away, before other text goes to the terminal; the
  // next Starting or Finished draws it again.
  void Clear();

 private:
  void Draw();

  std::ostream& out_;
  const bool live_;
  const size_t files_;
  const ULONGLONG bytes_;
  size_t index_ = 0;
  ULONGLONG current_ = 0;
  ULONGLONG done_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Whether the error stream is a terminal.
bool ErrorStreamIsTerminal();
