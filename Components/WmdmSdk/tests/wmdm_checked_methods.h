// The WMDM methods whose place both lanes check, with the vtable slot the
// platform gives each: the layout test checks the slots, the 32-bit build
// that each is __stdcall.
#pragma once

#define WMDM_CHECKED_METHODS(X) \
  X(IUnknown, AddRef, 1) \
  X(IUnknown, Release, 2) \
  X(IWMDeviceManager, GetRevision, 3) \
  X(IWMDeviceManager, EnumDevices, 5) \
  X(IWMDeviceManager2, GetDeviceFromCanonicalName, 6) \
  X(IWMDeviceManager2, EnumDevices2, 7) \
  X(IWMDeviceManager2, Reinitialize, 8) \
  X(IWMDeviceManager3, SetDeviceEnumPreference, 9) \
  X(IWMDMEnumDevice, Next, 3) \
  X(IWMDMEnumDevice, Clone, 6) \
  X(IWMDMEnumStorage, Next, 3) \
  X(IWMDMEnumStorage, Skip, 4) \
  X(IWMDMEnumStorage, Clone, 6) \
  X(IWMDMNotification, WMDMMessage, 3) \
  X(IComponentAuthenticate, SACGetProtocols, 4) \
  X(IWMDMDevice, GetName, 3) \
  X(IWMDMDevice, GetManufacturer, 4) \
  X(IWMDMDevice, GetSerialNumber, 7) \
  X(IWMDMDevice, GetDeviceIcon, 10) \
  X(IWMDMDevice, EnumStorage, 11) \
  X(IWMDMDevice, GetFormatSupport, 12) \
  X(IWMDMDevice, SendOpaqueCommand, 13) \
  X(IWMDMDevice2, GetStorage, 14) \
  X(IWMDMDevice2, GetCanonicalName, 17) \
  X(IWMDMDevice3, GetProperty, 18) \
  X(IWMDMDevice3, FindStorage, 22) \
  X(IWMDMStorage, SetAttributes, 3) \
  X(IWMDMStorage, GetStorageGlobals, 4) \
  X(IWMDMStorage, GetAttributes, 5) \
  X(IWMDMStorage, GetName, 6) \
  X(IWMDMStorage, GetSize, 8) \
  X(IWMDMStorage, EnumStorage, 10) \
  X(IWMDMStorage2, GetStorage, 12) \
  X(IWMDMStorage2, GetAttributes2, 14) \
  X(IWMDMStorage3, GetMetadata, 15) \
  X(IWMDMStorage3, CreateEmptyMetadataObject, 17) \
  X(IWMDMStorage3, SetEnumPreference, 18) \
  X(IWMDMStorage4, SetReferences, 19) \
  X(IWMDMStorage4, GetReferences, 20) \
  X(IWMDMStorage4, GetParent, 24) \
  X(IWMDMStorageGlobals, GetCapabilities, 3) \
  X(IWMDMStorageGlobals, GetTotalSize, 5) \
  X(IWMDMStorageGlobals, GetTotalFree, 6) \
  X(IWMDMStorageGlobals, GetStatus, 8) \
  X(IWMDMStorageGlobals, Initialize, 9) \
  X(IWMDMMetaData, AddItem, 3) \
  X(IWMDMMetaData, QueryByName, 4) \
  X(IWMDMMetaData, QueryByIndex, 5) \
  X(IWMDMMetaData, GetItemCount, 6) \
  X(IWMDMStorageControl, Insert, 3) \
  X(IWMDMStorageControl, Delete, 4) \
  X(IWMDMStorageControl, Rename, 5) \
  X(IWMDMStorageControl, Move, 7) \
  X(IWMDMStorageControl2, Insert2, 8) \
  X(IWMDMStorageControl3, Insert3, 9) \
  X(IWMDMOperation, End, 12) \
  X(IWMDMOperation2, GetObjectAttributes2, 14) \
  X(IWMDMOperation3, TransferObjectDataOnClearChannel, 13) \
  X(IWMDMProgress, Begin, 3) \
  X(IWMDMProgress, End, 5) \
  X(IWMDMProgress2, End2, 6) \
  X(IWMDMProgress3, End3, 9)
