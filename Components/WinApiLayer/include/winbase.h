// Subset of the kernel32 services for the Linux lane: handles, threads, critical
// sections, debugger output and module version information.
#pragma once

#include <pthread.h>

#include "windef.h"
#include "winerror.h"

#define WINBASEAPI extern "C"

// A recursive lock, as Windows' critical sections are re-entrant.
typedef struct _RTL_CRITICAL_SECTION {
  pthread_mutex_t mutex;
  int initialized;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

WINBASEAPI void InitializeCriticalSection(LPCRITICAL_SECTION section);
WINBASEAPI BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
WINBASEAPI void EnterCriticalSection(LPCRITICAL_SECTION section);
WINBASEAPI BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
WINBASEAPI void LeaveCriticalSection(LPCRITICAL_SECTION section);
WINBASEAPI void DeleteCriticalSection(LPCRITICAL_SECTION section);

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

WINBASEAPI DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
WINBASEAPI BOOL CloseHandle(HANDLE handle);
WINBASEAPI void Sleep(DWORD milliseconds);
WINBASEAPI DWORD GetCurrentThreadId(void);
WINBASEAPI BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
WINBASEAPI DWORD GetLastError(void);
WINBASEAPI void SetLastError(DWORD error);
WINBASEAPI DWORD GetTickCount(void);
#define STILL_ACTIVE 259

WINBASEAPI LONG InterlockedIncrement(LONG volatile* value);
WINBASEAPI LONG InterlockedDecrement(LONG volatile* value);

WINBASEAPI void OutputDebugStringW(LPCWSTR text);

WINBASEAPI HMODULE GetModuleHandleW(LPCWSTR moduleName);
WINBASEAPI DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
WINBASEAPI HMODULE LoadLibraryW(LPCWSTR fileName);
WINBASEAPI BOOL FreeLibrary(HMODULE module);
typedef void (*FARPROC)(void);
WINBASEAPI FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

WINBASEAPI HANDLE GetProcessHeap(void);
WINBASEAPI LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
WINBASEAPI BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
#define HEAP_ZERO_MEMORY 0x00000008

// Linux lane only: where OutputDebugStringW's text goes besides stderr (which
// it reaches when WINAPI_DEBUG_STDERR is set). Tests install a sink to read it.
// The variable is read at the first text and again after each call here, so
// a program that sets it later makes it count by setting a sink (or none).
typedef void (*WinApiDebugSink)(const WCHAR* text, void* context);
WINBASEAPI void WinApiSetDebugSink(WinApiDebugSink sink, void* context);
