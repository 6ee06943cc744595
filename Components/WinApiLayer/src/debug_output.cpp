// OutputDebugStringW: there is no debugger to receive the text, so it goes to
// the sink a test installed and, when WINAPI_DEBUG_STDERR is set, to stderr.
#include <winbase.h>
#include <wide_text.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex sinkMutex;
WinApiDebugSink sink = nullptr;
void* sinkContext = nullptr;

}  // namespace

extern "C" void WinApiSetDebugSink(WinApiDebugSink newSink, void* context) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  sink = newSink;
  sinkContext = context;
}

extern "C" void OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  {
    // Held while the sink runs, so that a sink being removed is not called after.
    std::lock_guard<std::mutex> lock(sinkMutex);
    if (sink) sink(text, sinkContext);
  }
  if (std::getenv("WINAPI_DEBUG_STDERR")) {
    const std::string utf8 = wide::ToUtf8(text, wide::Length(text));
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
  }
}
