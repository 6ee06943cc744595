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
    {W("SeCreateTokenPrivilege"), 2},    {W("SeAssignPrimaryTokenPrivilege"), 3},
    {W("SeLockMemoryPrivilege"), 4},     {W("SeIncreaseQuotaPrivilege"), 5},
    {W("SeMachineAccountPrivilege"), 6}, {W("SeTcbPrivilege"), 7},
    {W("SeSecurityPrivilege"), 8},       {W("SeTakeOwnershipPrivilege"), 9},
    {W("SeLoadDriverPrivilege"), 10},    {W("SeSystemProfilePrivilege"), 11},
    {W("SeSystemtimePrivilege"), 12},    {W("SeProfileSingleProcessPrivilege"), 13},
    {W("SeIncreaseBasePriorityPrivilege"), 14}, {W("SeCreatePagefilePrivilege"), 15},
    {W("SeCreatePermanentPrivilege"), 16}, {W("SeBackupPrivilege"), 17},
    {W("SeRestorePrivilege"), 18},       {W("SeShutdownPrivilege"), 19},
    {W("SeDebugPrivilege"), 20},         {W("SeAuditPrivilege"), 21},
    {W("SeSystemEnvironmentPrivilege"), 22}, {W("SeChangeNotifyPrivilege"), 23},
    {W("SeRemoteShutdownPrivilege"), 24}, {W("SeUndockPrivilege"), 25},
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
