// The plug-in's own picture of the devices Windows has attached, read from the
// registry without WMDM: USB devices, their mass-storage functions, FireWire
// (SBP2) devices and mounted volumes, merged into one DeviceInventoryRecord per
// present device that might be a portable player. Rebuild rereads everything;
// the lookups search the lists it left, linearly and in list order.
//
// Not safe for concurrent use: a Rebuild must not overlap a lookup.
#pragma once

#include <vector>

#include "detect/device_inventory_record.h"
#include "detect/inventory_entries.h"
#include "detect/inventory_key_index.h"

class kcDeviceInventory {
 public:
  kcDeviceInventory() = default;

  // Empties all six lists.
  void Clear();
  // Reads the registry afresh into every list; reports nothing.
  void Rebuild();

  // The first record with this drive letter; a letter of 0 finds nothing.
  bool FindRecordByDriveLetter(WCHAR letter, DeviceInventoryRecord& out) const;
  // The drive letter of the volume that belongs to a WMDM identity; 0 = none.
  WCHAR DriveLetterForIdentity(const WString& identity) const;
  // The record a WMDM identity or device name designates.
  bool FindRecordByName(const WString& key, DeviceInventoryRecord& out, bool strict) const;
  // A better manufacturer name for the device at a drive letter.
  bool ManufacturerForDriveLetter(WCHAR letter, WString& manufacturer) const;
  // The first word of a text in title case ("aCME pocket" gives "Acme").
  static bool FirstWordOf(const WString& text, WString& out);

  // The text rules the lists are read and linked by.
  static WString InstancePrefix(const WString& text);
  // InstancePrefix(a) == InstancePrefix(b), without building either.
  static bool SameInstancePrefix(const WString& a, const WString& b);
  static bool ParseStorageKey(const WString& key, WString& vendor, WString& product, WString& revision);
  static bool ParseSbp2Key(const WString& key, WString& vendor, WString& product, WString& revision);
  static WString CleanNamePart(const WString& text);
  static bool IsCommonWord(const WString& word);
  static bool SharesSignificantWord(const WString& a, const WString& b);

  // The lists of the last Rebuild.
  const std::vector<ServiceEnumEntry>& Services() const { return services_; }
  const std::vector<UsbDeviceEntry>& UsbDevices() const { return usbDevices_; }
  const std::vector<UsbStorEntry>& StorageDevices() const { return storageDevices_; }
  const std::vector<Sbp2DeviceEntry>& FireWireDevices() const { return fireWireDevices_; }
  const std::vector<MountedDeviceEntry>& MountedVolumes() const { return mountedVolumes_; }
  const std::vector<DeviceInventoryRecord>& Records() const { return records_; }

 private:
  // The steps of Rebuild, in its order.
  void ScanMountedDevices();
  void ScanUsb();
  void ScanUsbStor();
  void ScanSbp2();
  void AssignSbp2DriveLetters();
  void ScanServices();
  void LinkStorage();
  void MergeDevices();

  // Raw-list searches; -1 = not found.
  int FindUsbEntry(const WString& deviceId, const WString& instanceId) const;
  int FindUsbStorEntry(const WString& deviceId, const WString& instanceId) const;
  int FindSbp2Entry(const WString& deviceId, const WString& instanceId) const;
  int FindByHardwareId(const WString& hardwareIds) const;
  const ServiceEnumEntry* FindService(const WString& name) const;

  // Candidate tests.
  bool IsCandidateUsbDevice(int usbIndex) const;
  bool IsCandidateStorageDevice(int storageIndex) const;
  bool IsStartedInstance(const WString& service, const WString& instanceId) const;
  bool IsDeviceListed(const WString& deviceId, const WString& instanceId) const;
  bool IsInstanceListed(const WString& instanceId) const;

  // Indexes the entry lists for the link and merge steps; AddRecord appends
  // a record and indexes it.
  void IndexEntries();
  void AddRecord(DeviceInventoryRecord record);
  void ClearRecords();

  // Record builders.
  void AddUsbDevice(int usbIndex);
  void AddStorageDevice(int storageIndex);
  void AddFireWireDevice(int fireWireIndex);
  static WString MakeCanonicalName(const DeviceInventoryRecord& record);
  static WString ReadVolumeLabel(WCHAR letter);
  static void ReadDriverInfo(const WString& driverKey, bool usb, DriverInfo& driver);

  // Drive letters.
  WCHAR DriveLetterForUsbInstance(const WString& instanceId) const;
  WCHAR DriveLetterForParentIdPrefix(const WString& prefix) const;

  const DeviceInventoryRecord* FindRecordByWords(const WString& key) const;

  std::vector<ServiceEnumEntry> services_;
  std::vector<UsbDeviceEntry> usbDevices_;
  std::vector<UsbStorEntry> storageDevices_;
  std::vector<Sbp2DeviceEntry> fireWireDevices_;
  std::vector<MountedDeviceEntry> mountedVolumes_;
  std::vector<DeviceInventoryRecord> records_;

  // Rebuild's indexes of the lists above, by the keys its steps match on.
  InventoryKeyIndex storageByPrefix_;            // storageDevices_ by instance prefix
  InventoryKeyIndex startedByServiceAndPrefix_;  // "<service position>\<instance prefix>"
  InventoryKeyIndex recordsByIds_;               // "<instance id>\<device key>"
  InventoryKeyIndex recordsByVidPid_;
  InventoryKeyIndex recordsByPrefix_;
  InventoryKeyIndex recordsByHardwareIds_;
};
