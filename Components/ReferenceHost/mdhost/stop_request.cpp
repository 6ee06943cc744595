#include "mdhost/stop_request.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_asked = 0;

extern "C" void NoteInterrupt(int signal) {
  g_asked = 1;
  std::signal(signal, SIG_DFL);
}

// The signals that ask a program to end, besides Ctrl-C.
void SetEnding(void (*handler)(int)) {
  std::signal(SIGTERM, handler);
#ifdef SIGHUP
  std::signal(SIGHUP, handler);
#endif
}

}  // namespace

StopRequest::StopRequest(bool alsoOnEnding) : alsoOnEnding_(alsoOnEnding) {
  g_asked = 0;
  std::signal(SIGINT, NoteInterrupt);
  if (alsoOnEnding_) SetEnding(NoteInterrupt);
}

StopRequest::~StopRequest() {
  std::signal(SIGINT, SIG_DFL);
  if (alsoOnEnding_) SetEnding(SIG_DFL);
}

bool StopRequest::Asked() const { return g_asked != 0; }
