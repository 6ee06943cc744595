// The raw lists the device inventory reads from the registry before it merges
// them into records. Entries refer to each other by index into another list
// (-1 = no link); indexes hold until the next Clear or Rebuild.
#pragma once

#include <vector>

#include "detect/device_inventory_record.h"

// One instance key under System\CurrentControlSet\Enum\USB.
struct UsbDeviceEntry {
  WString deviceKey;  // "Vid_1234&Pid_5678"
  WString instanceId;
  DWORD capabilities = 0;
  WString description;
  WString hardwareIds;
  WString location;
  WString manufacturer;
  WString parentIdPrefix;
  WString service;
  WString driverKey;  // "{class guid}\0003"
  int storageLink = -1;  // index of this device's mass-storage function
  int sharedInstanceCount = 0;
  DriverInfo driver;
};

// One instance key under System\CurrentControlSet\Enum\USBSTOR.
struct UsbStorEntry {
  WString deviceKey;  // "Disk&Ven_vendor&Prod_product&Rev_revision"
  WString instanceId;
  DWORD capabilities = 0;
  WString deviceClass;
  WString description;
  WString friendlyName;
  WString hardwareIds;
  WString parentIdPrefix;
  WString manufacturer;
  WString service;
  WString vendor, product, revision;
  WString driverKey;
  int usbLink = -1;  // index of the USB device whose function this is
  int sharedInstanceCount = 0;
  bool flash = false;
};

// One instance key under System\CurrentControlSet\Enum\SBP2 (FireWire).
struct Sbp2DeviceEntry {
  WCHAR driveLetter = 0;
  WString deviceKey;  // "vendor&model&third", underscores for spaces
  WString instanceId;
  DWORD capabilities = 0;
  WString deviceClass;
  WString description;
  WString friendlyName;
  WString hardwareIds;
  WString location;
  WString parentIdPrefix;
  WString manufacturer;
  WString service;
  WString vendor, product, revision;
  WString driverKey;
  DriverInfo driver;  // its portable-player driver stays empty
};

// One accepted value of System\MountedDevices.
struct MountedDeviceEntry {
  WCHAR driveLetter = 0;
  WString valueText;     // "\??\STORAGE#RemovableMedia#7&1a2b3c4d&0&RM#{...}"
  WString instancePart;  // "7&1a2b3c4d&0&RM"
  WString classPart;     // "RemovableMedia"
  WString busPart;       // "STORAGE"
  bool removable = false;
};

// The three parts of a device instance path such as USB\Vid_1234&Pid_5678\0001.
struct ServiceInstance {
  WString enumerator;
  WString deviceId;
  WString instanceId;
};

// A service with its list of started device instances (its "Enum" key).
struct ServiceEnumEntry {
  WString serviceName;
  std::vector<ServiceInstance> instances;
};
