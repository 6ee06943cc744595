// The per-device settings of the host's manifest, read once when the plug-in
// initialises and read-only afterwards (any thread may then look records up).
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include <msxml_ids.h>
#include <wide_text.h>

#include "settings/kc_device_settings.h"
#include "settings/settings_store_entries.h"

class kcPortableManifest {
 public:
  using SettingsTable = std::map<WString, std::unique_ptr<kcDeviceSettings>>;

  // Performs the whole load; a failure leaves an empty table and is not reported.
  // Relies on COM being initialised on the calling thread.
  kcPortableManifest();
  kcPortableManifest(const kcPortableManifest&) = delete;
  kcPortableManifest& operator=(const kcPortableManifest&) = delete;

  // The record for a VID/PID key (compared with A-Z lower-cased), or null. The
  // record belongs to this object.
  const kcDeviceSettings* GetSettings(WString key) const;

  // Every record, by lower-cased key.
  const SettingsTable& Settings() const { return settings_; }

 private:
  void Load();
  void ReadDevice(IXMLDOMNode* node);

  SettingsTable settings_;  // the first Device element for a key wins
  SettingsStoreEntries entries_;
};
