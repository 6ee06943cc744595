// On Linux the layer hands OutputDebugStringW's text to a sink.
#include <windows.h>

#include "debug_output_capture.h"

namespace {

void Collect(const WCHAR* text, void* context) {
  static_cast<DebugOutputCapture*>(context)->Add(wide::FromPtr(text));
}

}  // namespace

DebugOutputCapture::DebugOutputCapture() { WinApiSetDebugSink(Collect, this); }

DebugOutputCapture::~DebugOutputCapture() { WinApiSetDebugSink(nullptr, nullptr); }
