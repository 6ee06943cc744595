#include "host_support/settings_store.h"

#include <oleauto.h>

#include <result_macros.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

namespace {

const WCHAR kPortableCategory[] = W("Portable");
const WCHAR kManifestEntry[] = W("WMDM");

WString FromBstr(BSTR text) { return text ? WString(text, SysStringLen(text)) : WString(); }

}  // namespace

HostSettingsStore::HostSettingsStore(std::map<WString, WString> portableEntries)
    : portable_(std::move(portableEntries)) {}

HRESULT HostSettingsStore::Create(std::map<WString, WString> portableEntries, IUnknown** store) {
  if (!store) return E_POINTER;
  *store = nullptr;
  *store = static_cast<kiSettingsStore*>(MakeComObject<HostSettingsStore>(std::move(portableEntries)).Detach());
  return *store ? S_OK : E_OUTOFMEMORY;
}

HRESULT HostSettingsStore::CreateForManifest(const WString& manifestText, IUnknown** store) {
  return Create({{kManifestEntry, manifestText}}, store);
}

const std::map<WString, WString>* HostSettingsStore::Category(BSTR category) const {
  return FromBstr(category) == kPortableCategory ? &portable_ : nullptr;
}

HRESULT HostSettingsStore::ListEntries(BSTR category, SAFEARRAY** names) {
  if (!names) return E_POINTER;
  *names = nullptr;
  const auto* entries = Category(category);
  const ULONG count = entries ? static_cast<ULONG>(entries->size()) : 0;
  UniqueSafeArray array(SafeArrayCreateVector(VT_BSTR, 0, count));
  if (!array) return E_OUTOFMEMORY;
  LONG index = 0;
  if (entries) {
    for (const auto& entry : *entries) {
      const UniqueBstr name(entry.first);
      if (!name) return E_OUTOFMEMORY;
      RETURN_IF_FAILED(SafeArrayPutElement(array.Get(), &index, name.Get()));
      ++index;
    }
  }
  *names = array.Release();
  return S_OK;
}

HRESULT HostSettingsStore::ListEntriesFiltered(BSTR, BSTR category, SAFEARRAY** names) {
  return ListEntries(category, names);
}

HRESULT HostSettingsStore::GetEntry(BSTR category, BSTR name, BSTR* text) {
  if (!text) return E_POINTER;
  *text = nullptr;
  const auto* entries = Category(category);
  if (!entries) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  const auto found = entries->find(FromBstr(name));
  if (found == entries->end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  *text = UniqueBstr(found->second).Release();
  return *text ? S_OK : E_OUTOFMEMORY;
}
