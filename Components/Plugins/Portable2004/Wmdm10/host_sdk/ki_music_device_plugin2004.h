// The host's plug-in interface: 49 slots in a fixed order. Plain virtual member
// functions with no destructor, so nothing may add or shift a slot; the unused
// slots keep their places with names of their own.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "ki_ipp_environment_check_results.h"
#include "ki_ipp_item.h"
#include "ki_item_id_list.h"
#include "ki_plugin_host_callback.h"

// A find handle: opaque to the host, pointer-sized.
typedef void* IPPFINDHANDLE;

// What DownloadFile reports in its outcome.
constexpr DWORD IPP_DOWNLOAD_CREATED = 4;
constexpr DWORD IPP_DOWNLOAD_REPLACED = 1;

struct kiMusicDevicePlugin2004 {
  virtual HRESULT Initialize(const WCHAR* folderPath, const WCHAR* secondPath) = 0;                   // 0
  virtual HRESULT Shutdown() = 0;                                                                     // 1
  virtual HRESULT CheckEnvironment(kiIPPEnvironmentCheckResults* results) = 0;                        // 2
  virtual HRESULT GetPluginVersion(DWORD* versionMS, DWORD* versionLS) = 0;                           // 3
  virtual BSTR GetPluginName() = 0;                                                                   // 4
  virtual HRESULT SetHostCallback(kiPluginHostCallback* callback) = 0;                                // 5
  virtual HRESULT SetHostContext(DWORD context) = 0;                                                  // 6
  virtual HRESULT ReservedQuery(DWORD a, DWORD b, DWORD c) = 0;                                       // 7
  virtual HRESULT FindFirstDevice(DWORD* deviceNumber, IPPFINDHANDLE* find) = 0;                      // 8
  virtual HRESULT FindNextDevice(IPPFINDHANDLE find, DWORD* deviceNumber) = 0;                        // 9
  virtual HRESULT FindDeviceClose(IPPFINDHANDLE find) = 0;                                            // 10
  virtual HRESULT ReScanDevices() = 0;                                                                // 11
  virtual HRESULT GetDevicePropertyBool(DWORD deviceNumber, const WCHAR* name, BOOL* value) = 0;      // 12
  virtual HRESULT GetDevicePropertyLong(DWORD deviceNumber, const WCHAR* name, LONG* value) = 0;      // 13
  virtual HRESULT GetDevicePropertyString(DWORD deviceNumber, const WCHAR* name, BSTR* value) = 0;    // 14
  virtual HRESULT GetDevicePropertyIcon(DWORD deviceNumber, DWORD unused, ULONG* icon) = 0;           // 15
  virtual HRESULT NotImplemented16(DWORD a, DWORD b, DWORD c) = 0;                                    // 16
  virtual HRESULT NotImplemented17(DWORD a, DWORD b, DWORD c) = 0;                                    // 17
  virtual HRESULT NotImplemented18(DWORD a, DWORD b, DWORD c) = 0;                                    // 18
  virtual HRESULT GetSupportedBitrates(DWORD deviceNumber, const WCHAR* type, SAFEARRAY** bitrates,  // 19
                                       BOOL* everyRate) = 0;
  virtual HRESULT NotImplemented20(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e) = 0;                  // 20
  virtual HRESULT Fixed21(DWORD a) = 0;                                                               // 21
  virtual HRESULT Fixed22(DWORD a) = 0;                                                               // 22
  virtual HRESULT RenameItem(const WCHAR* location, const WCHAR* path, const WCHAR* newName) = 0;     // 23
  virtual HRESULT CreatePlaylist(const WCHAR* location, const WCHAR* folderPath, const WCHAR* name,  // 24
                                 BSTR* newPath) = 0;
  virtual HRESULT UpdatePlaylist(const WCHAR* location, const WCHAR* playlistPath,                   // 25
                                 kiItemIdList* entries) = 0;
  virtual HRESULT CreateFolder(const WCHAR* location, const WCHAR* parentPath, const WCHAR* name,     // 26
                               BSTR* newPath) = 0;
  // `outcome` receives IPP_DOWNLOAD_CREATED, or IPP_DOWNLOAD_REPLACED when a
  // file of the same name was deleted and replaced.
  virtual HRESULT DownloadFile(const WCHAR* location, const WCHAR* targetPath, const WCHAR* sourcePath,  // 27
                               kiIPPItem* item, DWORD existingFileMode, DWORD cookie, DWORD* outcome) = 0;
  virtual HRESULT NotImplemented28(DWORD a, DWORD b, DWORD c) = 0;                                    // 28
  virtual HRESULT DeleteItem(const WCHAR* location, const WCHAR* path) = 0;                           // 29
  virtual HRESULT FindFirstMedia(DWORD deviceNumber, BSTR* location, IPPFINDHANDLE* find) = 0;        // 30
  virtual HRESULT FindNextMedia(IPPFINDHANDLE find, BSTR* location) = 0;                              // 31
  virtual HRESULT FindMediaClose(IPPFINDHANDLE find) = 0;                                             // 32
  virtual HRESULT Erase(const WCHAR* location, DWORD cookie) = 0;                                     // 33
  virtual HRESULT Format(const WCHAR* location, DWORD cookie) = 0;                                    // 34
  virtual HRESULT NotImplemented35(DWORD a, DWORD b) = 0;                                             // 35
  virtual HRESULT GetMediaPropertyBool(const WCHAR* location, const WCHAR* name, BOOL* value) = 0;    // 36
  virtual HRESULT GetMediaPropertyLong(const WCHAR* location, const WCHAR* name, LONG* value) = 0;    // 37
  virtual HRESULT GetMediaPropertyString(const WCHAR* location, const WCHAR* name, BSTR* value) = 0;  // 38
  virtual HRESULT NotImplemented39(DWORD a, DWORD b, DWORD c) = 0;                                    // 39
  virtual HRESULT NotImplemented40(DWORD a, DWORD b, DWORD c) = 0;                                    // 40
  virtual HRESULT NotImplemented41(DWORD a, DWORD b, DWORD c) = 0;                                    // 41
  virtual HRESULT FindFirstItem(const WCHAR* location, const WCHAR* path, kiIPPItem* item,           // 42
                                IPPFINDHANDLE* find) = 0;
  virtual HRESULT FindNextItem(IPPFINDHANDLE find, kiIPPItem* item) = 0;                              // 43
  virtual HRESULT FindItemClose(IPPFINDHANDLE find) = 0;                                              // 44
  virtual HRESULT GetItemInformation(const WCHAR* location, const WCHAR* path, kiIPPItem* item) = 0;  // 45
  virtual HRESULT NotImplemented46(DWORD a, DWORD b) = 0;                                             // 46
  virtual HRESULT NotImplemented47(DWORD a, DWORD b, DWORD c) = 0;                                    // 47
  virtual HRESULT NotImplemented48(DWORD a, DWORD b) = 0;                                             // 48
};

static const int kMusicDevicePlugin2004SlotCount = 49;
