// WMDM's client-side COM interfaces, slot for slot as the platform declares
// them. Plain structs of pure virtual methods: no destructor, no overloads, no
// extra members, so the vtable is the platform's. Methods appear in slot
// order; never sort or regroup them.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <propidl.h>

#include <com_iid.h>

#include "wmdm_guids.h"
#include "wmdm_types.h"

struct ISpecifyPropertyPages;

struct IWMDMEnumDevice;
struct IWMDMDevice;
struct IWMDMEnumStorage;
struct IWMDMStorage;
struct IWMDMStorageGlobals;
struct IWMDMMetaData;
struct IWMDMOperation;
struct IWMDMProgress;
struct IWMDMProgress3;

struct IWMDeviceManager : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetRevision(DWORD* pdwRevision) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceCount(DWORD* pdwCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumDevices(IWMDMEnumDevice** ppEnumDevice) = 0;
};

struct IWMDeviceManager2 : public IWMDeviceManager {
  virtual HRESULT STDMETHODCALLTYPE GetDeviceFromCanonicalName(LPCWSTR pwszCanonicalName, IWMDMDevice** ppDevice) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumDevices2(IWMDMEnumDevice** ppEnumDevice) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reinitialize() = 0;
};

struct IWMDeviceManager3 : public IWMDeviceManager2 {
  virtual HRESULT STDMETHODCALLTYPE SetDeviceEnumPreference(DWORD dwEnumPref) = 0;
};

struct IWMDMEnumDevice : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IWMDMDevice** ppDevice, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IWMDMEnumDevice** ppEnumDevice) = 0;
};

struct IWMDMEnumStorage : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IWMDMStorage** ppStorage, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IWMDMEnumStorage** ppEnumStorage) = 0;
};

struct IWMDMDevice : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetName(LPWSTR pwszName, UINT nMaxChars) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetManufacturer(LPWSTR pwszName, UINT nMaxChars) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVersion(DWORD* pdwVersion) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetType(DWORD* pdwType) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSerialNumber(PWMDMID pSerialNumber, BYTE abMac[WMDM_MAC_LENGTH]) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPowerSource(DWORD* pdwPowerSource, DWORD* pdwPercentRemaining) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStatus(DWORD* pdwStatus) = 0;
  // The handle comes back in 32 bits on every platform.
  virtual HRESULT STDMETHODCALLTYPE GetDeviceIcon(ULONG* hIcon) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumStorage(IWMDMEnumStorage** ppEnumStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFormatSupport(_WAVEFORMATEX** ppFormatEx, UINT* pnFormatCount,
                                                     LPWSTR** pppwszMimeType, UINT* pnMimeTypeCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE SendOpaqueCommand(OPAQUECOMMAND* pCommand) = 0;
};

struct IWMDMDevice2 : public IWMDMDevice {
  virtual HRESULT STDMETHODCALLTYPE GetStorage(LPCWSTR pszStorageName, IWMDMStorage** ppStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFormatSupport2(DWORD dwFlags, _WAVEFORMATEX** ppAudioFormatEx,
                                                      UINT* pnAudioFormatCount, _VIDEOINFOHEADER** ppVideoFormatEx,
                                                      UINT* pnVideoFormatCount, WMFILECAPABILITIES** ppFileType,
                                                      UINT* pnFileTypeCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSpecifyPropertyPages(ISpecifyPropertyPages** ppSpecifyPropPages,
                                                            IUnknown*** pppUnknowns, ULONG* pcUnks) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCanonicalName(LPWSTR pwszPnPName, UINT nMaxChars) = 0;
};

struct IWMDMDevice3 : public IWMDMDevice2 {
  virtual HRESULT STDMETHODCALLTYPE GetProperty(LPCWSTR pwszPropName, PROPVARIANT* pValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetProperty(LPCWSTR pwszPropName, const PROPVARIANT* pValue) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFormatCapability(WMDM_FORMATCODE format,
                                                        WMDM_FORMAT_CAPABILITY* pFormatSupport) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeviceIoControl(DWORD dwIoControlCode, BYTE* lpInBuffer, DWORD nInBufferSize,
                                                    BYTE* lpOutBuffer, DWORD* pnOutBufferSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindStorage(WMDM_FIND_SCOPE findScope, LPCWSTR pwszUniqueID,
                                                IWMDMStorage** ppStorage) = 0;
};

struct IWMDMDeviceControl : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetStatus(DWORD* pdwStatus) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* pdwCapabilitiesMask) = 0;
  virtual HRESULT STDMETHODCALLTYPE Play() = 0;
  virtual HRESULT STDMETHODCALLTYPE Record(_WAVEFORMATEX* pFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
  virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
  virtual HRESULT STDMETHODCALLTYPE Seek(UINT fuMode, int nOffset) = 0;
};

struct IWMDMStorage : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetAttributes(DWORD dwAttributes, _WAVEFORMATEX* pFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStorageGlobals(IWMDMStorageGlobals** ppStorageGlobals) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributes(DWORD* pdwAttributes, _WAVEFORMATEX* pFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetName(LPWSTR pwszName, UINT nMaxChars) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDate(PWMDMDATETIME pDateTimeUTC) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSize(DWORD* pdwSizeLow, DWORD* pdwSizeHigh) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRights(PWMDMRIGHTS* ppRights, UINT* pnRightsCount,
                                              BYTE abMac[WMDM_MAC_LENGTH]) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumStorage(IWMDMEnumStorage** pEnumStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE SendOpaqueCommand(OPAQUECOMMAND* pCommand) = 0;
};

struct IWMDMStorage2 : public IWMDMStorage {
  virtual HRESULT STDMETHODCALLTYPE GetStorage(LPCWSTR pszStorageName, IWMDMStorage** ppStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAttributes2(DWORD dwAttributes, DWORD dwAttributesEx, _WAVEFORMATEX* pFormat,
                                                   _VIDEOINFOHEADER* pVideoFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributes2(DWORD* pdwAttributes, DWORD* pdwAttributesEx,
                                                   _WAVEFORMATEX* pAudioFormat, _VIDEOINFOHEADER* pVideoFormat) = 0;
};

struct IWMDMStorage3 : public IWMDMStorage2 {
  virtual HRESULT STDMETHODCALLTYPE GetMetadata(IWMDMMetaData** ppMetadata) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMetadata(IWMDMMetaData* pMetadata) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateEmptyMetadataObject(IWMDMMetaData** ppMetadata) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetEnumPreference(WMDM_STORAGE_ENUM_MODE* pMode, DWORD nViews,
                                                      WMDMMetadataView* pViews) = 0;
};

struct IWMDMStorage4 : public IWMDMStorage3 {
  virtual HRESULT STDMETHODCALLTYPE SetReferences(DWORD dwRefs, IWMDMStorage** ppIWMDMStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetReferences(DWORD* pdwRefs, IWMDMStorage*** pppIWMDMStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRightsWithProgress(IWMDMProgress3* pIProgressCallback, PWMDMRIGHTS* ppRights,
                                                          UINT* pnRightsCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSpecifiedMetadata(DWORD cProperties, LPCWSTR* ppwszPropNames,
                                                         IWMDMMetaData** ppMetadata) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindStorage(WMDM_FIND_SCOPE findScope, LPCWSTR pwszUniqueID,
                                                IWMDMStorage** ppStorage) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetParent(IWMDMStorage** ppStorage) = 0;
};

struct IWMDMStorageGlobals : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* pdwCapabilities) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSerialNumber(PWMDMID pSerialNum, BYTE abMac[WMDM_MAC_LENGTH]) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTotalSize(DWORD* pdwTotalSizeLow, DWORD* pdwTotalSizeHigh) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTotalFree(DWORD* pdwFreeLow, DWORD* pdwFreeHigh) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTotalBad(DWORD* pdwBadLow, DWORD* pdwBadHigh) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStatus(DWORD* pdwStatus) = 0;
  virtual HRESULT STDMETHODCALLTYPE Initialize(UINT fuMode, IWMDMProgress* pProgress) = 0;
};

// The file-name parameters are non-const in the platform's declarations.
struct IWMDMStorageControl : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Insert(UINT fuMode, LPWSTR pwszFile, IWMDMOperation* pOperation,
                                           IWMDMProgress* pProgress, IWMDMStorage** ppNewObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE Delete(UINT fuMode, IWMDMProgress* pProgress) = 0;
  virtual HRESULT STDMETHODCALLTYPE Rename(UINT fuMode, LPWSTR pwszNewName, IWMDMProgress* pProgress) = 0;
  // Progress comes before the operation here, the reverse of Insert.
  virtual HRESULT STDMETHODCALLTYPE Read(UINT fuMode, LPWSTR pwszFile, IWMDMProgress* pProgress,
                                         IWMDMOperation* pOperation) = 0;
  virtual HRESULT STDMETHODCALLTYPE Move(UINT fuMode, IWMDMStorage* pTargetObject, IWMDMProgress* pProgress) = 0;
};

struct IWMDMStorageControl2 : public IWMDMStorageControl {
  virtual HRESULT STDMETHODCALLTYPE Insert2(UINT fuMode, LPWSTR pwszFileSource, LPWSTR pwszFileDest,
                                            IWMDMOperation* pOperation, IWMDMProgress* pProgress, IUnknown* pUnknown,
                                            IWMDMStorage** ppNewObject) = 0;
};

struct IWMDMStorageControl3 : public IWMDMStorageControl2 {
  virtual HRESULT STDMETHODCALLTYPE Insert3(UINT fuMode, UINT fuType, LPWSTR pwszFileSource, LPWSTR pwszFileDest,
                                            IWMDMOperation* pOperation, IWMDMProgress* pProgress,
                                            IWMDMMetaData* pMetaData, IUnknown* pUnknown,
                                            IWMDMStorage** ppNewObject) = 0;
};

struct IWMDMObjectInfo : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPlayLength(DWORD* pdwLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPlayLength(DWORD dwLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPlayOffset(DWORD* pdwOffset) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPlayOffset(DWORD dwOffset) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTotalLength(DWORD* pdwLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLastPlayPosition(DWORD* pdwLastPos) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLongestPlayPosition(DWORD* pdwLongestPos) = 0;
};

struct IWMDMMetaData : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddItem(WMDM_TAG_DATATYPE Type, LPCWSTR pwszTagName, BYTE* pValue,
                                            UINT iLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryByName(LPCWSTR pwszTagName, WMDM_TAG_DATATYPE* pType, BYTE** pValue,
                                                UINT* pcbLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryByIndex(UINT iIndex, WCHAR** ppwszName, WMDM_TAG_DATATYPE* pType,
                                                 BYTE** ppValue, UINT* pcbLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetItemCount(UINT* iCount) = 0;
};

// Implemented by the application to take data in or out through WMDM.
struct IWMDMOperation : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE BeginRead() = 0;
  virtual HRESULT STDMETHODCALLTYPE BeginWrite() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetObjectName(LPWSTR pwszName, UINT nMaxChars) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetObjectName(LPWSTR pwszName, UINT nMaxChars) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetObjectAttributes(DWORD* pdwAttributes, _WAVEFORMATEX* pFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetObjectAttributes(DWORD dwAttributes, _WAVEFORMATEX* pFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetObjectTotalSize(DWORD* pdwSize, DWORD* pdwSizeHigh) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetObjectTotalSize(DWORD dwSize, DWORD dwSizeHigh) = 0;
  virtual HRESULT STDMETHODCALLTYPE TransferObjectData(BYTE* pData, DWORD* pdwSize, BYTE abMac[WMDM_MAC_LENGTH]) = 0;
  virtual HRESULT STDMETHODCALLTYPE End(HRESULT* phCompletionCode, IUnknown* pNewObject) = 0;
};

struct IWMDMOperation2 : public IWMDMOperation {
  virtual HRESULT STDMETHODCALLTYPE SetObjectAttributes2(DWORD dwAttributes, DWORD dwAttributesEx,
                                                         _WAVEFORMATEX* pFormat, _VIDEOINFOHEADER* pVideoFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetObjectAttributes2(DWORD* pdwAttributes, DWORD* pdwAttributesEx,
                                                         _WAVEFORMATEX* pAudioFormat,
                                                         _VIDEOINFOHEADER* pVideoFormat) = 0;
};

// Derives from IWMDMOperation, not from IWMDMOperation2.
struct IWMDMOperation3 : public IWMDMOperation {
  virtual HRESULT STDMETHODCALLTYPE TransferObjectDataOnClearChannel(BYTE* pData, DWORD* pdwSize) = 0;
};

// Implemented by the application; WMDM reports the course of an operation.
struct IWMDMProgress : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Begin(DWORD dwEstimatedTicks) = 0;
  virtual HRESULT STDMETHODCALLTYPE Progress(DWORD dwTranspiredTicks) = 0;
  virtual HRESULT STDMETHODCALLTYPE End() = 0;
};

struct IWMDMProgress2 : public IWMDMProgress {
  virtual HRESULT STDMETHODCALLTYPE End2(HRESULT hrCompletionCode) = 0;
};

struct IWMDMProgress3 : public IWMDMProgress2 {
  virtual HRESULT STDMETHODCALLTYPE Begin3(GUID EventId, DWORD dwEstimatedTicks, OPAQUECOMMAND* pContext) = 0;
  virtual HRESULT STDMETHODCALLTYPE Progress3(GUID EventId, DWORD dwTranspiredTicks, OPAQUECOMMAND* pContext) = 0;
  virtual HRESULT STDMETHODCALLTYPE End3(GUID EventId, HRESULT hrCompletionCode, OPAQUECOMMAND* pContext) = 0;
};

struct IWMDMDeviceSession : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE BeginSession(WMDM_SESSION_TYPE type, BYTE* pCtx, DWORD dwSizeCtx) = 0;
  virtual HRESULT STDMETHODCALLTYPE EndSession(WMDM_SESSION_TYPE type, BYTE* pCtx, DWORD dwSizeCtx) = 0;
};

// Implemented by the application; WMDM calls it on a thread of its own.
struct IWMDMNotification : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE WMDMMessage(DWORD dwMessageType, LPCWSTR pwszCanonicalName) = 0;
};

struct IWMDMRevoked : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetRevocationURL(LPWSTR* ppwszRevocationURL, DWORD* pdwBufferLen,
                                                     DWORD* pdwRevokedBitFlag) = 0;
};

struct IComponentAuthenticate : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SACAuth(DWORD dwProtocolID, DWORD dwPass, BYTE* pbDataIn, DWORD dwDataInLen,
                                            BYTE** ppbDataOut, DWORD* pdwDataOutLen) = 0;
  virtual HRESULT STDMETHODCALLTYPE SACGetProtocols(DWORD** ppdwProtocols, DWORD* pdwProtocolCount) = 0;
};

DECLARE_INTERFACE_ID(IWMDeviceManager, IID_IWMDeviceManager)
DECLARE_INTERFACE_ID(IWMDeviceManager2, IID_IWMDeviceManager2)
DECLARE_INTERFACE_ID(IWMDeviceManager3, IID_IWMDeviceManager3)
DECLARE_INTERFACE_ID(IWMDMEnumDevice, IID_IWMDMEnumDevice)
DECLARE_INTERFACE_ID(IWMDMEnumStorage, IID_IWMDMEnumStorage)
DECLARE_INTERFACE_ID(IWMDMDevice, IID_IWMDMDevice)
DECLARE_INTERFACE_ID(IWMDMDevice2, IID_IWMDMDevice2)
DECLARE_INTERFACE_ID(IWMDMDevice3, IID_IWMDMDevice3)
DECLARE_INTERFACE_ID(IWMDMDeviceControl, IID_IWMDMDeviceControl)
DECLARE_INTERFACE_ID(IWMDMStorage, IID_IWMDMStorage)
DECLARE_INTERFACE_ID(IWMDMStorage2, IID_IWMDMStorage2)
DECLARE_INTERFACE_ID(IWMDMStorage3, IID_IWMDMStorage3)
DECLARE_INTERFACE_ID(IWMDMStorage4, IID_IWMDMStorage4)
DECLARE_INTERFACE_ID(IWMDMStorageGlobals, IID_IWMDMStorageGlobals)
DECLARE_INTERFACE_ID(IWMDMStorageControl, IID_IWMDMStorageControl)
DECLARE_INTERFACE_ID(IWMDMStorageControl2, IID_IWMDMStorageControl2)
DECLARE_INTERFACE_ID(IWMDMStorageControl3, IID_IWMDMStorageControl3)
DECLARE_INTERFACE_ID(IWMDMObjectInfo, IID_IWMDMObjectInfo)
DECLARE_INTERFACE_ID(IWMDMMetaData, IID_IWMDMMetaData)
DECLARE_INTERFACE_ID(IWMDMOperation, IID_IWMDMOperation)
DECLARE_INTERFACE_ID(IWMDMOperation2, IID_IWMDMOperation2)
DECLARE_INTERFACE_ID(IWMDMOperation3, IID_IWMDMOperation3)
DECLARE_INTERFACE_ID(IWMDMProgress, IID_IWMDMProgress)
DECLARE_INTERFACE_ID(IWMDMProgress2, IID_IWMDMProgress2)
DECLARE_INTERFACE_ID(IWMDMProgress3, IID_IWMDMProgress3)
DECLARE_INTERFACE_ID(IWMDMDeviceSession, IID_IWMDMDeviceSession)
DECLARE_INTERFACE_ID(IWMDMNotification, IID_IWMDMNotification)
DECLARE_INTERFACE_ID(IWMDMRevoked, IID_IWMDMRevoked)
DECLARE_INTERFACE_ID(IComponentAuthenticate, IID_IComponentAuthenticate)
