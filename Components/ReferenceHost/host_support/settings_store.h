// The host settings store, as the reference host offers it: named text entries
// by category, here only those of category "Portable"; every other category is
// empty. Register it with ClassObjectRegistration under CLSID_kcSettingsStore
// before the plug-in initialises.
#pragma once

#include <windows.h>

#include <map>

#include <com_object.h>
#include <wide_text.h>

#include <ki_settings_store.h>

class HostSettingsStore final
    : public ComObject<HostSettingsStore, kiSettingsStore, kiSettingsStoreObject, kiSettingsStore2> {
 public:
  // A new store (one reference) serving `portableEntries` (name to text).
  static HRESULT Create(std::map<WString, WString> portableEntries, IUnknown** store);
  // A store serving a manifest text as the entry "WMDM".
  static HRESULT CreateForManifest(const WString& manifestText, IUnknown** store);

  HRESULT STDMETHODCALLTYPE ListEntries(BSTR category, SAFEARRAY** names) override;
  HRESULT STDMETHODCALLTYPE GetEntry(BSTR category, BSTR name, BSTR* text) override;

  HRESULT STDMETHODCALLTYPE Unused3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused6() override { return E_NOTIMPL; }
  // The host keeps nothing but portable-device entries, so every filter lists them all.
  HRESULT STDMETHODCALLTYPE ListEntriesFiltered(BSTR filter, BSTR category, SAFEARRAY** names) override;

  explicit HostSettingsStore(std::map<WString, WString> portableEntries);

 private:
  // Null for a category the store keeps nothing under.
  const std::map<WString, WString>* Category(BSTR category) const;

  const std::map<WString, WString> portable_;
};
