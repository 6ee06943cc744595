// What a 32-bit module depends on that a 64-bit build cannot show: every WMDM
// method is __stdcall (the callee pops its arguments; a method declared
// without it would corrupt the stack only on x86), and the structures that
// hold pointers have their 4-byte-pointer sizes (asserted in wmdm_types.h for
// both widths, so every x86 unit that includes mswmdm.h checks them).
// Compiled, never run: the i686 lane builds it without a 32-bit Wine.
#include <mswmdm.h>

#include <cstddef>
#include <type_traits>

namespace {

#if defined(__i386__)

static_assert(sizeof(void*) == 4, "the i686 lane builds with 4-byte pointers");
static_assert(!kWmdmPointers64, "the WMDM structures take their 32-bit layouts");
// Vtable slots are pointer-sized: slot n sits at byte 4n.
static_assert(sizeof(void (*)()) == 4, "a vtable entry is 4 bytes");

template <typename Method>
struct IsStdcall : std::false_type {};
template <typename R, typename C, typename... A>
struct IsStdcall<R (__stdcall C::*)(A...)> : std::true_type {};

#define CHECK_STDCALL(Interface, Method) \
  static_assert(IsStdcall<decltype(&Interface::Method)>::value, #Interface "::" #Method " is __stdcall")

CHECK_STDCALL(IUnknown, AddRef);
CHECK_STDCALL(IUnknown, Release);
CHECK_STDCALL(IWMDeviceManager, GetRevision);
CHECK_STDCALL(IWMDeviceManager, EnumDevices);
CHECK_STDCALL(IWMDeviceManager2, GetDeviceFromCanonicalName);
CHECK_STDCALL(IWMDeviceManager2, EnumDevices2);
CHECK_STDCALL(IWMDeviceManager2, Reinitialize);
CHECK_STDCALL(IWMDeviceManager3, SetDeviceEnumPreference);
CHECK_STDCALL(IWMDMEnumDevice, Next);
CHECK_STDCALL(IWMDMEnumDevice, Clone);
CHECK_STDCALL(IWMDMEnumStorage, Next);
CHECK_STDCALL(IWMDMEnumStorage, Skip);
CHECK_STDCALL(IWMDMEnumStorage, Clone);
CHECK_STDCALL(IWMDMNotification, WMDMMessage);
CHECK_STDCALL(IComponentAuthenticate, SACGetProtocols);
CHECK_STDCALL(IWMDMDevice, GetName);
CHECK_STDCALL(IWMDMDevice, GetManufacturer);
CHECK_STDCALL(IWMDMDevice, GetSerialNumber);
CHECK_STDCALL(IWMDMDevice, GetDeviceIcon);
CHECK_STDCALL(IWMDMDevice, EnumStorage);
CHECK_STDCALL(IWMDMDevice, GetFormatSupport);
CHECK_STDCALL(IWMDMDevice, SendOpaqueCommand);
CHECK_STDCALL(IWMDMDevice2, GetStorage);
CHECK_STDCALL(IWMDMDevice2, GetCanonicalName);
CHECK_STDCALL(IWMDMDevice3, GetProperty);
CHECK_STDCALL(IWMDMDevice3, FindStorage);
CHECK_STDCALL(IWMDMStorage, SetAttributes);
CHECK_STDCALL(IWMDMStorage, GetStorageGlobals);
CHECK_STDCALL(IWMDMStorage, GetAttributes);
CHECK_STDCALL(IWMDMStorage, GetName);
CHECK_STDCALL(IWMDMStorage, GetSize);
CHECK_STDCALL(IWMDMStorage, EnumStorage);
CHECK_STDCALL(IWMDMStorage2, GetStorage);
CHECK_STDCALL(IWMDMStorage2, GetAttributes2);
CHECK_STDCALL(IWMDMStorage3, GetMetadata);
CHECK_STDCALL(IWMDMStorage3, CreateEmptyMetadataObject);
CHECK_STDCALL(IWMDMStorage3, SetEnumPreference);
CHECK_STDCALL(IWMDMStorage4, SetReferences);
CHECK_STDCALL(IWMDMStorage4, GetReferences);
CHECK_STDCALL(IWMDMStorage4, GetParent);
CHECK_STDCALL(IWMDMStorageGlobals, GetCapabilities);
CHECK_STDCALL(IWMDMStorageGlobals, GetTotalSize);
CHECK_STDCALL(IWMDMStorageGlobals, GetTotalFree);
CHECK_STDCALL(IWMDMStorageGlobals, GetStatus);
CHECK_STDCALL(IWMDMStorageGlobals, Initialize);
CHECK_STDCALL(IWMDMMetaData, AddItem);
CHECK_STDCALL(IWMDMMetaData, QueryByName);
CHECK_STDCALL(IWMDMMetaData, QueryByIndex);
CHECK_STDCALL(IWMDMMetaData, GetItemCount);
CHECK_STDCALL(IWMDMStorageControl, Insert);
CHECK_STDCALL(IWMDMStorageControl, Delete);
CHECK_STDCALL(IWMDMStorageControl, Rename);
CHECK_STDCALL(IWMDMStorageControl, Move);
CHECK_STDCALL(IWMDMStorageControl2, Insert2);
CHECK_STDCALL(IWMDMStorageControl3, Insert3);
CHECK_STDCALL(IWMDMOperation, End);
CHECK_STDCALL(IWMDMOperation2, GetObjectAttributes2);
CHECK_STDCALL(IWMDMOperation3, TransferObjectDataOnClearChannel);
CHECK_STDCALL(IWMDMProgress, Begin);
CHECK_STDCALL(IWMDMProgress, End);
CHECK_STDCALL(IWMDMProgress2, End2);
CHECK_STDCALL(IWMDMProgress3, End3);

#undef CHECK_STDCALL

// The structures a 32-bit caller and the platform exchange, at their x86 sizes.
static_assert(sizeof(OPAQUECOMMAND) == 44 && offsetof(OPAQUECOMMAND, pData) == 20, "OPAQUECOMMAND on x86");
static_assert(sizeof(WMDMMetadataView) == 12, "WMDMMetadataView on x86");
static_assert(sizeof(WMFILECAPABILITIES) == 8, "WMFILECAPABILITIES on x86");
static_assert(sizeof(WMDM_PROP_DESC) == 56 && sizeof(WMDM_PROP_CONFIG) == 12, "property descriptions on x86");
static_assert(sizeof(WMDM_FORMAT_CAPABILITY) == 8, "WMDM_FORMAT_CAPABILITY on x86");
static_assert(sizeof(PROPVARIANT) == 16, "PROPVARIANT on x86");
static_assert(sizeof(_WAVEFORMATEX) == 20 && sizeof(WMDMID) == 140, "pointer-free structures keep their size");

#endif

}  // namespace
