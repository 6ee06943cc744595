// How a run of sends shows its progress on the error stream. On a terminal,
// one live line redrawn in place: files done of all, bytes, rate and time
// left, and the conversions done while one is waited for. Elsewhere (a log,
// a pipe) one line per file as it starts, and as its conversion is waited for.
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
  // File `index` is waited for while it is converted; `converted` of
  // `conversions` are done.
  void Converting(size_t index, const std::string& what, size_t converted, size_t conversions);
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
  std::string converting_;  // the live line's tail while a conversion is waited for
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Whether the error stream is a terminal.
bool ErrorStreamIsTerminal();
