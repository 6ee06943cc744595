// The entries of one category of the host settings store, read once: the store
// is created, asked for the entry names and for each entry's text, and released.
// Both manifest readers (device settings and skip list) load through this.
#pragma once

#include <windows.h>

#include <map>

#include <wide_text.h>

#include <com_ptr.h>

#include "host_sdk/ki_settings_store.h"

class SettingsStoreEntries {
 public:
  // Empties the table and fills it from the store. Nothing is reported: a store
  // that cannot be created or listed leaves the table empty, an entry that
  // cannot be read is left out.
  void Load(const WString& category);

  // The text of entry `name`, or null when the table has none.
  const WString* Find(const WString& name) const;
  const std::map<WString, WString>& Entries() const { return entries_; }

 private:
  void CreateStore();
  void ReadNames(const WString& category, SAFEARRAY* names);
  void ReadEntry(const WString& category, BSTR name);

  // Keys compare code unit by code unit as unsigned 16-bit values; the first
  // text read for a name is kept.
  std::map<WString, WString> entries_;
  ComPtr<kiSettingsStoreObject> store_;  // held only while loading
};
