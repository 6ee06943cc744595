// On Linux the layer hands OutputDebugStringW's text to a sink.
#include <windows.h>

#include "debug_output_capture.h"

namespace {

void Collect(const WCHAR* text, void*) { DebugOutputCapture::Dispatch(wide::FromPtr(text)); }

}  // namespace

void HookDebugOutput() { WinApiSetDebugSink(Collect, nullptr); }
