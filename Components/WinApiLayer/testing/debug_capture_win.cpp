// On Windows OutputDebugStringW raises a debug-print exception that a debugger
// would catch; a vectored handler sees it first, takes the text and lets the
// system go on as without it. The wide exception comes first where the system
// raises it; its narrow fallback then repeats the same text and is skipped.
#include <windows.h>

#include <atomic>

#include "debug_output_capture.h"

#ifndef DBG_PRINTEXCEPTION_WIDE_C
#define DBG_PRINTEXCEPTION_WIDE_C 0x4001000AL
#endif
#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006L
#endif

namespace {

std::atomic<DebugOutputCapture*> activeCapture{nullptr};
PVOID handlerHandle = nullptr;
thread_local WString lastWideText;

WString FromAnsi(const char* text, size_t bytes) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), nullptr, 0);
  WString wide(static_cast<size_t>(length > 0 ? length : 0), W('\0'));
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), &wide[0], length);
  return wide;
}

// The exception's arguments: the length including the terminator, the text.
WString ExceptionText(const EXCEPTION_RECORD& record) {
  if (record.NumberParameters < 2 || !record.ExceptionInformation[1]) return WString();
  const size_t length = static_cast<size_t>(record.ExceptionInformation[0]);
  if (record.ExceptionCode == static_cast<DWORD>(DBG_PRINTEXCEPTION_WIDE_C)) {
    const auto* text = reinterpret_cast<const WCHAR*>(record.ExceptionInformation[1]);
    return WString(text, length > 0 ? length - 1 : 0);
  }
  const auto* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
  return FromAnsi(text, length > 0 ? length - 1 : 0);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  const bool wide = record.ExceptionCode == static_cast<DWORD>(DBG_PRINTEXCEPTION_WIDE_C);
  if (!wide && record.ExceptionCode != static_cast<DWORD>(DBG_PRINTEXCEPTION_C)) return EXCEPTION_CONTINUE_SEARCH;
  DebugOutputCapture* capture = activeCapture.load();
  if (!capture) return EXCEPTION_CONTINUE_SEARCH;
  WString text = ExceptionText(record);
  if (wide) {
    lastWideText = text;
    capture->Add(text);
  } else if (!lastWideText.empty() && text == lastWideText) {
    lastWideText.clear();  // the narrow repeat of a wide text already taken
  } else {
    lastWideText.clear();
    capture->Add(text);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
  activeCapture.store(this);
  handlerHandle = AddVectoredExceptionHandler(1, OnException);
}

DebugOutputCapture::~DebugOutputCapture() {
  if (handlerHandle) RemoveVectoredExceptionHandler(handlerHandle);
  handlerHandle = nullptr;
  activeCapture.store(nullptr);
}
