// Ctrl-C during a run of sends: the first press is noted and the run stops
// after the file in hand, so that no file is left half-written on the
// player. A second press ends the program at once, as usual.
#pragma once

class StopRequest {
 public:
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  bool Asked() const;
};
