// The process token, as a standard user's: it holds the change-notification
// privilege and nothing else, so asking to enable any other privilege succeeds
// as a call and reports ERROR_NOT_ALL_ASSIGNED.
#include <wide_text.h>

#include "handle_table.h"

namespace {

// Privilege numbers as Windows gives them (LUID low parts).
struct KnownPrivilege {
  const WCHAR* name;
  DWORD number;
};
const KnownPrivilege kPrivileges[] = {
    {u"SeCreateTokenPrivilege", 2},    {u"SeAssignPrimaryTokenPrivilege", 3},
    {u"SeLockMemoryPrivilege", 4},     {u"SeIncreaseQuotaPrivilege", 5},
    {u"SeMachineAccountPrivilege", 6}, {u"SeTcbPrivilege", 7},
    {u"SeSecurityPrivilege", 8},       {u"SeTakeOwnershipPrivilege", 9},
    {u"SeLoadDriverPrivilege", 10},    {u"SeSystemProfilePrivilege", 11},
    {u"SeSystemtimePrivilege", 12},    {u"SeProfileSingleProcessPrivilege", 13},
    {u"SeIncreaseBasePriorityPrivilege", 14}, {u"SeCreatePagefilePrivilege", 15},
    {u"SeCreatePermanentPrivilege", 16}, {u"SeBackupPrivilege", 17},
    {u"SeRestorePrivilege", 18},       {u"SeShutdownPrivilege", 19},
    {u"SeDebugPrivilege", 20},         {u"SeAuditPrivilege", 21},
    {u"SeSystemEnvironmentPrivilege", 22}, {u"SeChangeNotifyPrivilege", 23},
    {u"SeRemoteShutdownPrivilege", 24}, {u"SeUndockPrivilege", 25},
};
constexpr DWORD kChangeNotify = 23;

class ProcessToken : public winapi::KernelObject {
 public:
  DWORD Wait(DWORD) override {
    SetLastError(ERROR_INVALID_HANDLE);  // a token is not waitable
    return WAIT_FAILED;
  }
};

// The pseudo-handle of the current process, as Windows defines it.
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

extern "C" HANDLE GetCurrentProcess(void) { return kCurrentProcess; }

extern "C" BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token) {
  if (!token) return Fail(ERROR_NOACCESS);
  *token = nullptr;
  if (process != kCurrentProcess) return Fail(ERROR_INVALID_HANDLE);
  HANDLE handle = winapi::InsertHandle(std::make_shared<ProcessToken>());
  if (!handle) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  *token = handle;
  return TRUE;
}

extern "C" BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid) {
  if (!name || !luid) return Fail(ERROR_INVALID_PARAMETER);
  if (systemName && systemName[0]) return Fail(ERROR_INVALID_PARAMETER);  // no remote machines here
  for (const KnownPrivilege& privilege : kPrivileges) {
    if (wide::EqualsIgnoreCaseAscii(WString(privilege.name), WString(name))) {
      luid->LowPart = privilege.number;
      luid->HighPart = 0;
      return TRUE;
    }
  }
  return Fail(ERROR_NO_SUCH_PRIVILEGE);
}

extern "C" BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                                      PTOKEN_PRIVILEGES previousState, PDWORD returnLength) {
  const auto object = winapi::LookUpHandle(token);
  if (!object || !dynamic_cast<ProcessToken*>(object.get())) return Fail(ERROR_INVALID_HANDLE);
  if (!disableAll && !newState) return Fail(ERROR_INVALID_PARAMETER);
  if (previousState) {
    // Nothing changes, so the previous state lists nothing.
    if (bufferLength < sizeof(DWORD)) {
      if (returnLength) *returnLength = sizeof(DWORD);
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    previousState->PrivilegeCount = 0;
    if (returnLength) *returnLength = sizeof(DWORD);
  }
  bool allAssigned = true;
  if (!disableAll) {
    for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& entry = newState->Privileges[i];
      const bool held = entry.Luid.HighPart == 0 && entry.Luid.LowPart == kChangeNotify;
      if (!held) allAssigned = false;
    }
  }
  SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}
