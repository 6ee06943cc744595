// Ctrl-C during a run of sends: the first press is noted and the run stops
// after the file in hand, so that no file is left half-written on the
// player. A second press ends the program at once, as usual.
#pragma once

class StopRequest {
 public:
  // `alsoOnEnding`: a request to end the program (SIGTERM, and SIGHUP when
  // its terminal goes, where the system has them) is noted the same way, for
  // a program that must clean up whichever way it is ended.
  explicit StopRequest(bool alsoOnEnding = false);
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  bool Asked() const;

 private:
  bool alsoOnEnding_;
};
