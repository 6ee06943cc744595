// The skip list: devices WMDM reports that the host is not to show, named by USB
// vendor and product number (optionally narrowed by manufacturer text or
// friendly name) or by manufacturer and device name. Loaded once from the
// host's manifest; read-only afterwards, so the queries may run on any thread.
#pragma once

#include <windows.h>

#include <vector>

#include <msxml_ids.h>
#include <wide_text.h>

#include "settings/kc_skip_entry.h"
#include "settings/settings_store_entries.h"

class kcVidPidFilter {
 public:
  // Loads the list; a failure leaves it empty (nothing is then skipped) and is
  // not reported. Relies on COM being initialised on the calling thread.
  kcVidPidFilter();
  kcVidPidFilter(const kcVidPidFilter&) = delete;
  kcVidPidFilter& operator=(const kcVidPidFilter&) = delete;
  virtual ~kcVidPidFilter();

  // The numbers after "vid_" and "pid_" (any case) in a VID/PID text such as
  // Vid_0781&Pid_7420; 0 when absent. Either output may be null.
  static void ReadVidPid(const WCHAR* text, DWORD* vendorId, DWORD* productId);
  // The hexadecimal number in the letters and digits after the first "_".
  static DWORD ParseHexAfterUnderscore(const WString& text);

  // A device matched with an inventory record: by its numbers, then by the
  // entry's filter (within the lower-cased manufacturer text) or friendly name
  // (within the inventory's friendly name), or unconditionally.
  bool IsSkippedDevice(DWORD vendorId, DWORD productId, WString manufacturer, WString deviceFriendlyName) const;
  // A device the inventory does not know: by vendor name and product name.
  bool IsSkippedByNames(WString manufacturer, WString name) const;

  const std::vector<kcSkipEntry>& Entries() const { return entries_; }

 private:
  void Load();
  void ReadVendor(IXMLDOMNode* vendor);

  std::vector<kcSkipEntry> entries_;  // in document order
  SettingsStoreEntries storeEntries_;
};
