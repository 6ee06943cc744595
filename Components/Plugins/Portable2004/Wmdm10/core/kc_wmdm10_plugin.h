// The plug-in object the host drives through kiMusicDevicePlugin2004.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include "host_sdk/ki_music_device_plugin2004.h"
#include "platform/critical_section.h"

class kcWMDM10Plugin : public kiMusicDevicePlugin2004 {
 public:
  kcWMDM10Plugin();
  kcWMDM10Plugin(const kcWMDM10Plugin&) = delete;
  kcWMDM10Plugin& operator=(const kcWMDM10Plugin&) = delete;
  // Not virtual: a destructor slot would shift the host's table.
  ~kcWMDM10Plugin();

  // The plug-in's one logging routine: appends a line feed and hands the text
  // to the host callback and the debugger output. Runs under the caller's lock.
  void WriteLog(WString message);

  HRESULT Initialize(const WCHAR* folderPath, const WCHAR* secondPath) override;
  HRESULT Shutdown() override;
  HRESULT CheckEnvironment(kiIPPEnvironmentCheckResults* results) override;
  HRESULT GetPluginVersion(DWORD* versionMS, DWORD* versionLS) override;
  BSTR GetPluginName() override;
  HRESULT SetHostCallback(kiPluginHostCallback* callback) override;
  HRESULT SetHostContext(DWORD context) override;
  HRESULT ReservedQuery(DWORD a, DWORD b, DWORD c) override;
  HRESULT FindFirstDevice(DWORD* deviceNumber, IPPFINDHANDLE* find) override;
  HRESULT FindNextDevice(IPPFINDHANDLE find, DWORD* deviceNumber) override;
  HRESULT FindDeviceClose(IPPFINDHANDLE find) override;
  HRESULT ReScanDevices() override;
  HRESULT GetDevicePropertyBool(DWORD deviceNumber, const WCHAR* name, BOOL* value) override;
  HRESULT GetDevicePropertyLong(DWORD deviceNumber, const WCHAR* name, LONG* value) override;
  HRESULT GetDevicePropertyString(DWORD deviceNumber, const WCHAR* name, BSTR* value) override;
  HRESULT GetDevicePropertyIcon(DWORD deviceNumber, DWORD unused, ULONG* icon) override;
  HRESULT NotImplemented16(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented17(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented18(DWORD a, DWORD b, DWORD c) override;
  HRESULT GetSupportedBitrates(DWORD deviceNumber, const WCHAR* type, SAFEARRAY** bitrates,
                               BOOL* everyRate) override;
  HRESULT NotImplemented20(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e) override;
  HRESULT Fixed21(DWORD a) override;
  HRESULT Fixed22(DWORD a) override;
  HRESULT RenameItem(const WCHAR* location, const WCHAR* path, const WCHAR* newName) override;
  HRESULT CreatePlaylist(const WCHAR* location, const WCHAR* folderPath, const WCHAR* name,
                         BSTR* newPath) override;
  HRESULT UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath, kiItemIdList* entries) override;
  HRESULT CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name, BSTR* newPath) override;
  HRESULT DownloadFile(const WCHAR* location, const WCHAR* targetPath, const WCHAR* sourcePath, kiIPPItem* item,
                       DWORD existingFileMode, DWORD cookie, DWORD* outcome) override;
  HRESULT NotImplemented28(DWORD a, DWORD b, DWORD c) override;
  HRESULT DeleteItem(const WCHAR* location, const WCHAR* path) override;
  HRESULT FindFirstMedia(DWORD deviceNumber, BSTR* location, IPPFINDHANDLE* find) override;
  HRESULT FindNextMedia(IPPFINDHANDLE find, BSTR* location) override;
  HRESULT FindMediaClose(IPPFINDHANDLE find) override;
  HRESULT Erase(const WCHAR* location, DWORD cookie) override;
  HRESULT Format(const WCHAR* location, DWORD cookie) override;
  HRESULT NotImplemented35(DWORD a, DWORD b) override;
  HRESULT GetMediaPropertyBool(const WCHAR* location, const WCHAR* name, BOOL* value) override;
  HRESULT GetMediaPropertyLong(const WCHAR* location, const WCHAR* name, LONG* value) override;
  HRESULT GetMediaPropertyString(const WCHAR* location, const WCHAR* name, BSTR* value) override;
  HRESULT NotImplemented39(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented40(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented41(DWORD a, DWORD b, DWORD c) override;
  HRESULT FindFirstItem(const WCHAR* location, const WCHAR* path, kiIPPItem* item, IPPFINDHANDLE* find) override;
  HRESULT FindNextItem(IPPFINDHANDLE find, kiIPPItem* item) override;
  HRESULT FindItemClose(IPPFINDHANDLE find) override;
  HRESULT GetItemInformation(const WCHAR* location, const WCHAR* path, kiIPPItem* item) override;
  HRESULT NotImplemented46(DWORD a, DWORD b) override;
  HRESULT NotImplemented47(DWORD a, DWORD b, DWORD c) override;
  HRESULT NotImplemented48(DWORD a, DWORD b) override;

  kiPluginHostCallback* HostCallback() const { return hostCallback_; }
  DWORD HostContext() const { return hostContext_; }

 private:
  kiPluginHostCallback* hostCallback_ = nullptr;  // not owned; the host keeps it alive
  DWORD hostContext_ = 0;
  CriticalSection lock_;  // re-entrant: the plug-in calls its own slots while holding it
};
