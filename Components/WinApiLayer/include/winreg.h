// Subset of advapi32's registry functions for the Linux lane, over an in-memory
// registry that lives as long as the process. Results are Win32 error codes.
#pragma once

#include "securitybaseapi.h"
#include "windef.h"
#include "winerror.h"

typedef ACCESS_MASK REGSAM;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))
#define HKEY_PERFORMANCE_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000004))
#define HKEY_CURRENT_CONFIG ((HKEY)(ULONG_PTR)((LONG)0x80000005))
#define HKEY_DYN_DATA ((HKEY)(ULONG_PTR)((LONG)0x80000006))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_EXECUTE KEY_READ
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_RESOURCE_LIST 8
#define REG_FULL_RESOURCE_DESCRIPTOR 9
#define REG_RESOURCE_REQUIREMENTS_LIST 10
#define REG_QWORD 11

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L
#define REG_OPTION_CREATE_LINK 0x00000002L
#define REG_OPTION_BACKUP_RESTORE 0x00000004L
#define REG_OPTION_OPEN_LINK 0x00000008L

#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#define REG_NOTIFY_CHANGE_NAME 0x00000001L
#define REG_NOTIFY_CHANGE_ATTRIBUTES 0x00000002L
#define REG_NOTIFY_CHANGE_LAST_SET 0x00000004L
#define REG_NOTIFY_CHANGE_SECURITY 0x00000008L

#define REG_WHOLE_HIVE_VOLATILE 0x00000001L
#define REG_REFRESH_HIVE 0x00000002L
#define REG_NO_LAZY_FLUSH 0x00000004L
#define REG_FORCE_RESTORE 0x00000008L

WINADVAPI LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
WINADVAPI LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                  REGSAM desired, const SECURITY_ATTRIBUTES* security, PHKEY result,
                                  LPDWORD disposition);
WINADVAPI LSTATUS RegCloseKey(HKEY key);
WINADVAPI LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
WINADVAPI LSTATUS RegFlushKey(HKEY key);
WINADVAPI LSTATUS RegEnumKeyW(HKEY key, DWORD index, LPWSTR name, DWORD nameLength);
WINADVAPI LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved,
                                LPWSTR keyClass, LPDWORD classLength, PFILETIME lastWriteTime);
WINADVAPI LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classLength, LPDWORD reserved,
                                   LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                   LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                   LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);
WINADVAPI LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                   LPDWORD dataSize);
WINADVAPI LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                 DWORD dataSize);
WINADVAPI LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength,
                                LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
WINADVAPI LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
WINADVAPI LSTATUS RegOverridePredefKey(HKEY key, HKEY newKey);
WINADVAPI LSTATUS RegNotifyChangeKeyValue(HKEY key, BOOL watchSubtree, DWORD notifyFilter, HANDLE event,
                                          BOOL asynchronous);

WINADVAPI LSTATUS RegGetKeySecurity(HKEY key, SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor,
                                    LPDWORD descriptorSize);
WINADVAPI LSTATUS RegSetKeySecurity(HKEY key, SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor);
WINADVAPI LSTATUS RegLoadKeyW(HKEY key, LPCWSTR subKey, LPCWSTR file);
WINADVAPI LSTATUS RegUnLoadKeyW(HKEY key, LPCWSTR subKey);
WINADVAPI LSTATUS RegSaveKeyW(HKEY key, LPCWSTR file, const SECURITY_ATTRIBUTES* security);
WINADVAPI LSTATUS RegRestoreKeyW(HKEY key, LPCWSTR file, DWORD flags);
WINADVAPI LSTATUS RegReplaceKeyW(HKEY key, LPCWSTR subKey, LPCWSTR newFile, LPCWSTR oldFile);
