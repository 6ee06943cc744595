// The raw lists the device inventory reads from the registry before it merges
// them into records. Entries refer to each other by index into another list
// (-1 = no link); indexes hold until the next Clear or Rebuild.
#pragma once

#include <vector>

#include "detect/device_inventory_record.h"

// What every Enum branch's instance key holds, read alike for all of them.
struct InstanceEntry {
  WString deviceKey;
  WString instanceId;
  DWORD capabilities = 0;
  WString description;
  WString hardwareIds;
  WString manufacturer;
  WString parentIdPrefix;
  WString service;
  WString driverKey;  // "{class guid}\0003"
};

// An instance key of a disk branch (mass storage, FireWire): its class and
// friendly name, and the vendor, product and revision its device key names.
struct DiskEntry : InstanceEntry {
  WString deviceClass;
  WString friendlyName;
  WString vendor, product, revision;
};

// One instance key under System\CurrentControlSet\Enum\USB; its device key
// reads "Vid_1234&Pid_5678".
struct UsbDeviceEntry : InstanceEntry {
  WString location;
  int storageLink = -1;  // index of this device's mass-storage function
  int sharedInstanceCount = 0;
  DriverInfo driver;
};

// One instance key under System\CurrentControlSet\Enum\USBSTOR; its device
// key reads "Disk&Ven_vendor&Prod_product&Rev_revision".
struct UsbStorEntry : DiskEntry {
  int usbLink = -1;  // index of the USB device whose function this is
  int sharedInstanceCount = 0;
  bool flash = false;
};

// One instance key under System\CurrentControlSet\Enum\SBP2 (FireWire); its
// device key reads "vendor&model&third", underscores for spaces.
struct Sbp2DeviceEntry : DiskEntry {
  WCHAR driveLetter = 0;
  WString location;
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
