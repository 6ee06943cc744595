// WMDM's flag values, message numbers and result codes.
#pragma once

#include <windows.h>

// Modes of the storage-control operations (fuMode).
inline constexpr UINT WMDM_MODE_BLOCK = 0x00000001;
inline constexpr UINT WMDM_MODE_THREAD = 0x00000002;
inline constexpr UINT WMDM_CONTENT_FILE = 0x00000004;
inline constexpr UINT WMDM_CONTENT_FOLDER = 0x00000008;
inline constexpr UINT WMDM_CONTENT_OPERATIONINTERFACE = 0x00000010;
inline constexpr UINT WMDM_MODE_QUERY = 0x00000020;
inline constexpr UINT WMDM_MODE_PROGRESS = 0x00000040;
inline constexpr UINT WMDM_MODE_TRANSFER_PROTECTED = 0x00000080;
inline constexpr UINT WMDM_MODE_TRANSFER_UNPROTECTED = 0x00000100;
inline constexpr UINT WMDM_STORAGECONTROL_INSERTBEFORE = 0x00000200;
inline constexpr UINT WMDM_STORAGECONTROL_INSERTAFTER = 0x00000400;
inline constexpr UINT WMDM_STORAGECONTROL_INSERTINTO = 0x00000800;
inline constexpr UINT WMDM_MODE_RECURSIVE = 0x00001000;

// Storage and file attributes share one DWORD (GetAttributes, Insert3's fuType and fuMode).
inline constexpr DWORD WMDM_STORAGE_ATTR_FILESYSTEM = 0x00000001;
inline constexpr DWORD WMDM_STORAGE_ATTR_REMOVABLE = 0x00000002;
inline constexpr DWORD WMDM_STORAGE_ATTR_NONREMOVABLE = 0x00000004;
inline constexpr DWORD WMDM_FILE_ATTR_FOLDER = 0x00000008;
inline constexpr DWORD WMDM_FILE_ATTR_LINK = 0x00000010;
inline constexpr DWORD WMDM_FILE_ATTR_FILE = 0x00000020;
inline constexpr DWORD WMDM_FILE_ATTR_VIDEO = 0x00000040;
inline constexpr DWORD WMDM_STORAGE_ATTR_CANEDITMETADATA = 0x00000080;
// The medium supports folders; it does not mark an object as a folder.
inline constexpr DWORD WMDM_STORAGE_ATTR_FOLDERS = 0x00000100;
inline constexpr DWORD WMDM_FILE_ATTR_AUDIO = 0x00001000;
inline constexpr DWORD WMDM_FILE_ATTR_DATA = 0x00002000;
inline constexpr DWORD WMDM_FILE_ATTR_CANPLAY = 0x00004000;
inline constexpr DWORD WMDM_FILE_ATTR_CANDELETE = 0x00008000;
inline constexpr DWORD WMDM_FILE_ATTR_CANMOVE = 0x00010000;
inline constexpr DWORD WMDM_FILE_ATTR_CANRENAME = 0x00020000;
inline constexpr DWORD WMDM_FILE_ATTR_CANREAD = 0x00040000;
inline constexpr DWORD WMDM_FILE_ATTR_MUSIC = 0x00080000;
inline constexpr DWORD WMDM_FILE_CREATE_OVERWRITE = 0x00100000;
inline constexpr DWORD WMDM_FILE_ATTR_AUDIOBOOK = 0x00200000;
inline constexpr DWORD WMDM_FILE_ATTR_HIDDEN = 0x00400000;
inline constexpr DWORD WMDM_FILE_ATTR_SYSTEM = 0x00800000;
inline constexpr DWORD WMDM_FILE_ATTR_READONLY = 0x01000000;
inline constexpr DWORD WMDM_STORAGE_ATTR_HAS_FOLDERS = 0x02000000;
inline constexpr DWORD WMDM_STORAGE_ATTR_HAS_FILES = 0x04000000;
inline constexpr DWORD WMDM_STORAGE_IS_DEFAULT = 0x08000000;
inline constexpr DWORD WMDM_STORAGE_CONTAINS_DEFAULT = 0x10000000;
inline constexpr DWORD WMDM_STORAGE_ATTR_VIRTUAL = 0x20000000;

// Device type bits (IWMDMDevice::GetType).
inline constexpr DWORD WMDM_DEVICE_TYPE_PLAYBACK = 0x0001;
inline constexpr DWORD WMDM_DEVICE_TYPE_RECORD = 0x0002;
inline constexpr DWORD WMDM_DEVICE_TYPE_DECODE = 0x0004;
inline constexpr DWORD WMDM_DEVICE_TYPE_ENCODE = 0x0008;
inline constexpr DWORD WMDM_DEVICE_TYPE_STORAGE = 0x0010;
inline constexpr DWORD WMDM_DEVICE_TYPE_VIRTUAL = 0x0020;
inline constexpr DWORD WMDM_DEVICE_TYPE_SDMI = 0x0040;
inline constexpr DWORD WMDM_DEVICE_TYPE_NONSDMI = 0x0080;
inline constexpr DWORD WMDM_DEVICE_TYPE_NONREENTRANT = 0x0100;
inline constexpr DWORD WMDM_DEVICE_TYPE_FILELISTRESYNC = 0x0200;
inline constexpr DWORD WMDM_DEVICE_TYPE_VIEW_PREF_METADATAVIEW = 0x0400;

// Device enumeration preference (IWMDeviceManager3::SetDeviceEnumPreference).
inline constexpr DWORD DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES = 0x00000001;
inline constexpr DWORD ALLOW_OUTOFBAND_NOTIFICATION = 0x00000002;

// Status bits (GetStatus of devices and storage globals).
inline constexpr DWORD WMDM_STATUS_READY = 0x00000001;
inline constexpr DWORD WMDM_STATUS_BUSY = 0x00000002;
inline constexpr DWORD WMDM_STATUS_DEVICE_NOTPRESENT = 0x00000004;
inline constexpr DWORD WMDM_STATUS_DEVICECONTROL_PLAYING = 0x00000008;
inline constexpr DWORD WMDM_STATUS_DEVICECONTROL_RECORDING = 0x00000010;
inline constexpr DWORD WMDM_STATUS_DEVICECONTROL_PAUSED = 0x00000020;
inline constexpr DWORD WMDM_STATUS_DEVICECONTROL_REMOTE = 0x00000040;
inline constexpr DWORD WMDM_STATUS_DEVICECONTROL_STREAM = 0x00000080;
inline constexpr DWORD WMDM_STATUS_STORAGE_NOTPRESENT = 0x00000100;
inline constexpr DWORD WMDM_STATUS_STORAGE_INITIALIZING = 0x00000200;
inline constexpr DWORD WMDM_STATUS_STORAGE_BROKEN = 0x00000400;
inline constexpr DWORD WMDM_STATUS_STORAGE_NOTSUPPORTED = 0x00000800;
inline constexpr DWORD WMDM_STATUS_STORAGE_UNFORMATTED = 0x00001000;
inline constexpr DWORD WMDM_STATUS_STORAGECONTROL_INSERTING = 0x00002000;
inline constexpr DWORD WMDM_STATUS_STORAGECONTROL_DELETING = 0x00004000;
inline constexpr DWORD WMDM_STATUS_STORAGECONTROL_APPENDING = 0x00008000;
inline constexpr DWORD WMDM_STATUS_STORAGECONTROL_MOVING = 0x00010000;
inline constexpr DWORD WMDM_STATUS_STORAGECONTROL_READING = 0x00020000;

// Storage capability bits (IWMDMStorageGlobals::GetCapabilities).
inline constexpr DWORD WMDM_STORAGECAP_FOLDERSINROOT = 0x01;
inline constexpr DWORD WMDM_STORAGECAP_FILESINROOT = 0x02;
inline constexpr DWORD WMDM_STORAGECAP_FOLDERSINFOLDERS = 0x04;
inline constexpr DWORD WMDM_STORAGECAP_FILESINFOLDERS = 0x08;
inline constexpr DWORD WMDM_STORAGECAP_FOLDERLIMITEXISTS = 0x10;
inline constexpr DWORD WMDM_STORAGECAP_FILELIMITEXISTS = 0x20;
inline constexpr DWORD WMDM_STORAGECAP_NOT_INITIALIZABLE = 0x40;

// Device capability bits (IWMDMDeviceControl::GetCapabilities).
inline constexpr DWORD WMDM_DEVICECAP_CANPLAY = 0x0001;
inline constexpr DWORD WMDM_DEVICECAP_CANSTREAMPLAY = 0x0002;
inline constexpr DWORD WMDM_DEVICECAP_CANRECORD = 0x0004;
inline constexpr DWORD WMDM_DEVICECAP_CANSTREAMRECORD = 0x0008;
inline constexpr DWORD WMDM_DEVICECAP_CANPAUSE = 0x0010;
inline constexpr DWORD WMDM_DEVICECAP_CANRESUME = 0x0020;
inline constexpr DWORD WMDM_DEVICECAP_CANSTOP = 0x0040;
inline constexpr DWORD WMDM_DEVICECAP_CANSEEK = 0x0080;
inline constexpr DWORD WMDM_DEVICECAP_HASSECURECLOCK = 0x0100;

// Power bits (IWMDMDevice::GetPowerSource).
inline constexpr DWORD WMDM_POWER_CAP_BATTERY = 0x01;
inline constexpr DWORD WMDM_POWER_CAP_EXTERNAL = 0x02;
inline constexpr DWORD WMDM_POWER_IS_BATTERY = 0x04;
inline constexpr DWORD WMDM_POWER_IS_EXTERNAL = 0x08;
inline constexpr DWORD WMDM_POWER_PERCENT_AVAILABLE = 0x10;

// Seek and revocation bits.
inline constexpr DWORD WMDM_SEEK_REMOTECONTROL = 0x1;
inline constexpr DWORD WMDM_SEEK_STREAMINGAUDIO = 0x2;
inline constexpr UINT WMDM_SEEK_BEGIN = 0x1;
inline constexpr UINT WMDM_SEEK_CURRENT = 0x2;
inline constexpr UINT WMDM_SEEK_END = 0x8;
inline constexpr DWORD WMDM_WMDM_REVOKED = 0x1;
inline constexpr DWORD WMDM_APP_REVOKED = 0x2;
inline constexpr DWORD WMDM_SP_REVOKED = 0x4;
inline constexpr DWORD WMDM_SCP_REVOKED = 0x8;

// Rights (WMDMRIGHTS.fuFlags and fuRights).
inline constexpr DWORD WMDM_RIGHTS_PLAYBACKCOUNT = 0x01;
inline constexpr DWORD WMDM_RIGHTS_EXPIRATIONDATE = 0x02;
inline constexpr DWORD WMDM_RIGHTS_GROUPID = 0x04;
inline constexpr DWORD WMDM_RIGHTS_FREESERIALIDS = 0x08;
inline constexpr DWORD WMDM_RIGHTS_NAMEDSERIALIDS = 0x10;
inline constexpr DWORD WMDM_RIGHTS_PLAY_ON_PC = 0x01;
inline constexpr DWORD WMDM_RIGHTS_COPY_TO_NON_SDMI_DEVICE = 0x02;
inline constexpr DWORD WMDM_RIGHTS_COPY_TO_CD = 0x08;
inline constexpr DWORD WMDM_RIGHTS_COPY_TO_SDMI_DEVICE = 0x10;

// IWMDMDevice2::GetFormatSupport2 flags.
inline constexpr DWORD WMDM_GET_FORMAT_SUPPORT_AUDIO = 0x1;
inline constexpr DWORD WMDM_GET_FORMAT_SUPPORT_VIDEO = 0x2;
inline constexpr DWORD WMDM_GET_FORMAT_SUPPORT_FILE = 0x4;

// A wave format tag of this value or above stands for every format.
inline constexpr WORD WMDM_WAVE_FORMAT_ALL = 0xFFFF;

// Notification messages (IWMDMNotification::WMDMMessage).
enum WMDMMessage : DWORD {
  WMDM_MSG_DEVICE_ARRIVAL = 0,
  WMDM_MSG_DEVICE_REMOVAL = 1,
  WMDM_MSG_MEDIA_ARRIVAL = 2,
  WMDM_MSG_MEDIA_REMOVAL = 3,
};

// MTP response codes as WMDM passes them on from an MTP device (0x8004 and
// the response code); mswmdm.h names none of them.
inline constexpr HRESULT MTP_E_INVALID_OBJECT_HANDLE = static_cast<HRESULT>(0x80042009);
inline constexpr HRESULT MTP_E_INVALID_OBJECT_FORMAT_CODE = static_cast<HRESULT>(0x8004200B);
inline constexpr HRESULT MTP_E_STORE_NOT_AVAILABLE = static_cast<HRESULT>(0x80042013);
inline constexpr HRESULT MTP_E_STALE_OBJECT_REFERENCE = static_cast<HRESULT>(0x8004A804);
// A tag the device does not keep for the object's format, and a value
// outside what it takes (a track number outside 1 to 99).
inline constexpr HRESULT MTP_E_PROPERTY_NOT_SUPPORTED = static_cast<HRESULT>(0x8004A801);
inline constexpr HRESULT MTP_E_PROPERTY_VALUE_NOT_SUPPORTED = static_cast<HRESULT>(0x8004A803);

// Result codes.
inline constexpr HRESULT WMDM_S_NOT_ALL_PROPERTIES_APPLIED = static_cast<HRESULT>(0x00045001);
inline constexpr HRESULT WMDM_S_NOT_ALL_PROPERTIES_RETRIEVED = static_cast<HRESULT>(0x00045002);
inline constexpr HRESULT WMDM_E_BUSY = static_cast<HRESULT>(0x80045000);
inline constexpr HRESULT WMDM_E_INTERFACEDEAD = static_cast<HRESULT>(0x80045001);
inline constexpr HRESULT WMDM_E_INVALIDTYPE = static_cast<HRESULT>(0x80045002);
inline constexpr HRESULT WMDM_E_PROCESSFAILED = static_cast<HRESULT>(0x80045003);
inline constexpr HRESULT WMDM_E_NOTSUPPORTED = static_cast<HRESULT>(0x80045004);
inline constexpr HRESULT WMDM_E_NOTCERTIFIED = static_cast<HRESULT>(0x80045005);
inline constexpr HRESULT WMDM_E_NORIGHTS = static_cast<HRESULT>(0x80045006);
inline constexpr HRESULT WMDM_E_CALL_OUT_OF_SEQUENCE = static_cast<HRESULT>(0x80045007);
inline constexpr HRESULT WMDM_E_BUFFERTOOSMALL = static_cast<HRESULT>(0x80045008);
inline constexpr HRESULT WMDM_E_MOREDATA = static_cast<HRESULT>(0x80045009);
inline constexpr HRESULT WMDM_E_MAC_CHECK_FAILED = static_cast<HRESULT>(0x8004500A);
inline constexpr HRESULT WMDM_E_USER_CANCELLED = static_cast<HRESULT>(0x8004500B);
inline constexpr HRESULT WMDM_E_SDMI_TRIGGER = static_cast<HRESULT>(0x8004500C);
inline constexpr HRESULT WMDM_E_SDMI_NOMORECOPIES = static_cast<HRESULT>(0x8004500D);
inline constexpr HRESULT WMDM_E_REVOKED = static_cast<HRESULT>(0x8004500E);
inline constexpr HRESULT WMDM_E_LICENSE_NOTEXIST = static_cast<HRESULT>(0x8004500F);
inline constexpr HRESULT WMDM_E_INCORRECT_APPSEC = static_cast<HRESULT>(0x80045010);
inline constexpr HRESULT WMDM_E_INCORRECT_RIGHTS = static_cast<HRESULT>(0x80045011);
inline constexpr HRESULT WMDM_E_LICENSE_EXPIRED = static_cast<HRESULT>(0x80045012);
// The platform gives these two names one value.
inline constexpr HRESULT WMDM_E_CANTOPEN_PMSN_SERVICE_PIPE = static_cast<HRESULT>(0x80045013);
inline constexpr HRESULT WMDM_E_TOO_MANY_SESSIONS = static_cast<HRESULT>(0x80045013);
