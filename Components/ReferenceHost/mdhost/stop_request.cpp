#include "mdhost/stop_request.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_asked = 0;

extern "C" void NoteInterrupt(int) {
  g_asked = 1;
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

StopRequest::StopRequest() {
  g_asked = 0;
  std::signal(SIGINT, NoteInterrupt);
}

StopRequest::~StopRequest() { std::signal(SIGINT, SIG_DFL); }

bool StopRequest::Asked() const { return g_asked != 0; }
