// One open key of the Windows registry: a predefined root, the key opened
// below it, the Win32 error of the last operation and what the last
// key-information query reported. Every operation is virtual and their order
// is part of the class; a false result always comes with the error code.
#pragma once

#include <windows.h>

#include <wide_text.h>

class kcRegistry {
 public:
  kcRegistry();
  virtual ~kcRegistry();
  kcRegistry(const kcRegistry&) = delete;
  kcRegistry& operator=(const kcRegistry&) = delete;

  virtual bool Close();
  virtual bool CreateKey(const WCHAR* path, const WCHAR* keyClass, DWORD options, REGSAM access,
                         SECURITY_ATTRIBUTES* security, DWORD* disposition);
  virtual bool DeleteKey(const WCHAR* path);
  virtual bool DeleteValue(const WCHAR* name);
  virtual bool EnumerateSubkey(DWORD index, WString& name, WString& keyClass);
  virtual bool EnumerateValue(DWORD index, WString& name, DWORD* type, BYTE* data, DWORD* size);
  virtual bool FlushKey();
  virtual void GetKeyClass(WString& out);
  virtual void GetMachineName(WString& out);
  virtual bool ReadDWord(const WCHAR* name, DWORD& out);
  virtual LONG GetLastErrorCode();
  virtual void GetKeyPath(WString& out);
  virtual DWORD GetSubkeyCount();
  virtual DWORD GetValueCount();
  virtual void GetRootName(WString& out);
  virtual bool GetKeySecurity(SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor, DWORD* size);
  virtual bool ReadString(const WCHAR* name, WString& out);
  virtual bool ReadStringToBuffer(const WCHAR* name, WCHAR* buffer, DWORD size);
  virtual bool ReadValue(const WCHAR* name, WString& out);
  virtual bool ReadValue(const WCHAR* name, DWORD& out);
  virtual bool LoadHive(const WCHAR* subkey, const WCHAR* file);
  virtual bool WatchChanges(HANDLE event, DWORD filter, bool watchSubtree, bool asynchronous);
  virtual bool OpenKey(const WCHAR* path, REGSAM access);
  virtual bool RefreshKeyInfo();
  virtual bool ReadRawValue(const WCHAR* name, DWORD* type, BYTE* data, DWORD* size);
  virtual bool ReplaceHive(const WCHAR* subkey, const WCHAR* newFile, const WCHAR* oldFile);
  virtual bool RestoreKey(const WCHAR* file, DWORD flags);
  virtual bool SaveKey(const WCHAR* file, SECURITY_ATTRIBUTES* security);
  virtual bool WriteDWord(const WCHAR* name, DWORD value);
  virtual void SetRoot(HKEY root);
  virtual bool SetKeySecurity(SECURITY_INFORMATION* information, PSECURITY_DESCRIPTOR descriptor);
  virtual bool WriteString(const WCHAR* name, const WCHAR* text);
  virtual bool WriteRawValue(const WCHAR* name, DWORD type, const BYTE* data, DWORD size);
  virtual bool WriteValue(const WCHAR* name, const WCHAR* text);
  virtual bool WriteValue(const WCHAR* name, DWORD value);
  virtual bool UnloadHive(const WCHAR* subkey);
  // Deletes `subkey` of `parent` with everything below it; stops at the first
  // child that cannot go. Leaves the error code alone.
  virtual LONG DeleteKeyRecursive(HKEY parent, const WCHAR* subkey);
  virtual void RegisterComClass(HMODULE module, REFCLSID classId, const WCHAR* description,
                                const WCHAR* versionIndependentProgId, const WCHAR* progId);
  virtual void UnregisterComClass(REFCLSID classId, const WCHAR* versionIndependentProgId, const WCHAR* progId);
  virtual bool WriteClassesRootDefault(const WCHAR* keyName, const WCHAR* subkeyName, const WCHAR* value);
  virtual void ClsidToString(REFCLSID classId, WCHAR* buffer, DWORD size);
  virtual LONG DeleteKeyTree(HKEY root, const WCHAR* subkey);

  // Empties the strings and zeroes the handles, the error code, the counters
  // and the time; closes nothing.
  void Reset();

 private:
  // What an operation reports when something was raised inside it (for
  // instance out of memory while building a string) instead of letting it out.
  static constexpr LONG kErrorExceptionInOperation = 0x428;
  // Text characters offered to the key-information and enumeration calls.
  static constexpr DWORD kNameBufferChars = 2048;

  // The text the registry wrote into `buffer`: up to its terminator or
  // `chars`, whichever comes first. Buffers are not cleared beforehand, so
  // nothing past what was written is read.
  static WString FilledText(const WCHAR* buffer, size_t chars);
  // Stores a Win32 result; true when it is success.
  bool Record(LONG result);
  bool InvalidParameter();

  HKEY key_ = nullptr;
  HKEY root_ = nullptr;
  LONG errorCode_ = 0;
  WString keyClass_;
  WString machineName_;
  WString keyPath_;
  WString rootName_;
  DWORD subkeyCount_ = 0;
  DWORD valueCount_ = 0;
  DWORD longestSubkeyName_ = 0;
  DWORD longestClassName_ = 0;
  DWORD longestValueName_ = 0;
  DWORD longestValueData_ = 0;
  DWORD securityDescriptorSize_ = 0;
  FILETIME lastWriteTime_ = {0, 0};
};
