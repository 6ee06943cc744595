#include "host_support/settings_store.h"

#include <oleauto.h>

#include <new>

namespace {

const WCHAR kPortableCategory[] = W("Portable");
const WCHAR kManifestEntry[] = W("WMDM");

WString FromBstr(BSTR text) { return text ? WString(text, SysStringLen(text)) : WString(); }

BSTR ToBstr(const WString& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

}  // namespace

HostSettingsStore::HostSettingsStore(std::map<WString, WString> portableEntries)
    : portable_(std::move(portableEntries)) {}

HRESULT HostSettingsStore::Create(std::map<WString, WString> portableEntries, IUnknown** store) {
  if (!store) return E_POINTER;
  *store = nullptr;
  auto* created = new (std::nothrow) HostSettingsStore(std::move(portableEntries));
  if (!created) return E_OUTOFMEMORY;
  *store = static_cast<kiSettingsStore*>(created);
  return S_OK;
}

HRESULT HostSettingsStore::CreateForManifest(const WString& manifestText, IUnknown** store) {
  return Create({{kManifestEntry, manifestText}}, store);
}

HRESULT HostSettingsStore::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_kiSettingsStore))
    *object = static_cast<kiSettingsStore*>(this);
  else if (IsEqualIID(riid, IID_kiSettingsStoreObject))
    *object = static_cast<kiSettingsStoreObject*>(this);
  else if (IsEqualIID(riid, IID_kiSettingsStore2))
    *object = static_cast<kiSettingsStore2*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG HostSettingsStore::AddRef() { return ++refs_; }

ULONG HostSettingsStore::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

const std::map<WString, WString>* HostSettingsStore::Category(BSTR category) const {
  return FromBstr(category) == kPortableCategory ? &portable_ : nullptr;
}

HRESULT HostSettingsStore::ListEntries(BSTR category, SAFEARRAY** names) {
  if (!names) return E_POINTER;
  *names = nullptr;
  const auto* entries = Category(category);
  const ULONG count = entries ? static_cast<ULONG>(entries->size()) : 0;
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, count);
  if (!array) return E_OUTOFMEMORY;
  LONG index = 0;
  if (entries) {
    for (const auto& entry : *entries) {
      BSTR name = ToBstr(entry.first);
      const HRESULT hr = name ? SafeArrayPutElement(array, &index, name) : E_OUTOFMEMORY;
      SysFreeString(name);
      if (FAILED(hr)) {
        SafeArrayDestroy(array);
        return hr;
      }
      ++index;
    }
  }
  *names = array;
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
  *text = ToBstr(found->second);
  return *text ? S_OK : E_OUTOFMEMORY;
}
