// OutputDebugStringW: there is no debugger to receive the text, so it goes to
// the sink a test installed and, when WINAPI_DEBUG_STDERR is set, to stderr.
#include <winbase.h>
#include <wide_text.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex sinkMutex;
WinApiDebugSink sink = nullptr;
void* sinkContext = nullptr;

// Whether the text also goes to stderr: looked up in the environment at the
// first line and again after each change of sink, not on every line (a
// listing writes one per item, and the search of the environment cost more
// than the rest of the line).
enum StderrSwitch : int { kUnknown, kOff, kOn };
std::atomic<int> toStderr{kUnknown};

bool WritesToStderr() {
  int state = toStderr.load(std::memory_order_relaxed);
  if (state == kUnknown) {
    state = std::getenv("WINAPI_DEBUG_STDERR") ? kOn : kOff;
    toStderr.store(state, std::memory_order_relaxed);
  }
  return state == kOn;
}

}  // namespace

extern "C" void WinApiSetDebugSink(WinApiDebugSink newSink, void* context) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  sink = newSink;
  sinkContext = context;
  toStderr.store(kUnknown, std::memory_order_relaxed);
}

extern "C" void OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  {
    // Held while the sink runs, so that a sink being removed is not called after.
    std::lock_guard<std::mutex> lock(sinkMutex);
    if (sink) sink(text, sinkContext);
  }
  if (WritesToStderr()) {
    const std::string utf8 = wide::ToUtf8(text, wide::Length(text));
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
  }
}
