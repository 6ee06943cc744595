// The registry facts about one present device, as the device inventory hands
// them to the device list. Records are plain values, copied field by field.
#pragma once

#include <windows.h>

#include <wide_text.h>

// What a device's driver class entry says about its driver.
struct DriverInfo {
  WString description;           // "DriverDesc"
  WString portablePlayerDriver;  // "NTMPDriver"; USB devices only
  WString provider;              // "ProviderName"
  WString date;                  // "DriverDate"
  WString version;               // "DriverVersion"
};

struct DeviceInventoryRecord {
  WString bus;  // "USB", "USBSTOR" or "SBP2": the list the record was built from
  WString deviceKey;
  WString instanceId;
  WString friendlyName;
  WString description;
  WString manufacturer;
  WString vendor;
  WString product;
  WString revision;
  WCHAR driveLetter = 0;  // never A or C; 0 = none
  WString volumeLabel;    // "-" when the volume could not be read
  WString canonicalName;  // bus & device key & instance id
  WString hardwareIds;    // the whole multi-string, zero separators included
  WString location;
  WString vidPidText;  // "Vid_xxxx&Pid_yyyy" or a fallback; the settings key
  WString service;
  WString parentIdPrefix;
  WString driverKey;
  bool massStorage = false;
  bool present = false;
  bool flash = false;
  LONG instanceCount = 0;
  DWORD capabilities = 0;
  DriverInfo driver;
};
