// On Windows OutputDebugStringW raises a debug-print exception for a debugger
// to catch; a vectored handler sees it first, takes the text and lets the
// system carry on as without it. Where the system raises the wide exception
// and then its narrow fallback for the same call, the repeat is skipped.
#include <windows.h>

#include "debug_output_capture.h"

#ifndef DBG_PRINTEXCEPTION_WIDE_C
#define DBG_PRINTEXCEPTION_WIDE_C 0x4001000AL
#endif
#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006L
#endif

namespace {

thread_local bool narrowRepeatExpected = false;

WString FromAnsi(const char* text, size_t bytes) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), nullptr, 0);
  WString wide(static_cast<size_t>(length > 0 ? length : 0), W('\0'));
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), &wide[0], length);
  return wide;
}

// The exception's arguments: the length including the terminator, the text.
WString ExceptionText(const EXCEPTION_RECORD& record, bool wide) {
  if (record.NumberParameters < 2 || !record.ExceptionInformation[1]) return WString();
  const size_t length = static_cast<size_t>(record.ExceptionInformation[0]);
  const size_t withoutTerminator = length > 0 ? length - 1 : 0;
  if (wide) return WString(reinterpret_cast<const WCHAR*>(record.ExceptionInformation[1]), withoutTerminator);
  return FromAnsi(reinterpret_cast<const char*>(record.ExceptionInformation[1]), withoutTerminator);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  const bool wide = record.ExceptionCode == static_cast<DWORD>(DBG_PRINTEXCEPTION_WIDE_C);
  if (!wide && record.ExceptionCode != static_cast<DWORD>(DBG_PRINTEXCEPTION_C)) return EXCEPTION_CONTINUE_SEARCH;
  if (!wide && narrowRepeatExpected) {
    narrowRepeatExpected = false;
    return EXCEPTION_CONTINUE_SEARCH;
  }
  narrowRepeatExpected = wide;
  DebugOutputCapture::Dispatch(ExceptionText(record, wide));
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void InstallDebugOutputHook() { AddVectoredExceptionHandler(1, OnException); }
