#include "settings/settings_store_entries.h"

#include <ole2.h>

#include <unique_bstr.h>
#include <unique_safearray.h>

namespace {

// In-process server or handler, local or remote server: whatever the host offers.
constexpr DWORD kStoreClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
static_assert(kStoreClassContext == 0x17, "the store is created with class context 0x17");

// The store's own narrowing of the names it lists for this kind of client.
const WCHAR kEntryFilter[] = W("KIM_PDO");

}  // namespace

void SettingsStoreEntries::Load(const WString& category) {
  entries_.clear();
  if (!store_) CreateStore();
  ComPtr<kiSettingsStore> store;
  if (store_ && SUCCEEDED(store_.As(&store)) && store) {
    const UniqueBstr categoryText(category);
    UniqueSafeArray names;
    ComPtr<kiSettingsStore2> store2;
    HRESULT hr;
    if (SUCCEEDED(store_.As(&store2)) && store2) {
      const UniqueBstr filter(kEntryFilter);
      hr = store2->ListEntriesFiltered(filter.Get(), categoryText.Get(), names.Put());
    } else {
      hr = store->ListEntries(categoryText.Get(), names.Put());
    }
    if (hr == S_OK) ReadNames(category, names.Get());
  }
  store_.Reset();
}

const WString* SettingsStoreEntries::Find(const WString& name) const {
  const auto found = entries_.find(name);
  return found == entries_.end() ? nullptr : &found->second;
}

void SettingsStoreEntries::CreateStore() {
  ComPtr<IUnknown> created;
  if (FAILED(CoCreateInstance(CLSID_kcSettingsStore, nullptr, kStoreClassContext, IID_IUnknown,
                              created.AsVoidOut())) ||
      !created)
    return;
  if (FAILED(OleRun(created.Get()))) return;
  created.As(&store_);
}

// The store hands out zero-based arrays; the bounds are read again before every
// name, as a store may be odd enough to change them.
void SettingsStoreEntries::ReadNames(const WString& category, SAFEARRAY* names) {
  for (LONG index = 0;; ++index) {
    LONG lower = 0, upper = -1;
    if (!names || FAILED(SafeArrayGetLBound(names, 1, &lower)) || FAILED(SafeArrayGetUBound(names, 1, &upper)))
      return;
    if (index > upper - lower) return;
    UniqueBstr name;
    if (FAILED(SafeArrayGetElement(names, &index, name.Put()))) continue;
    ReadEntry(category, name.Get());
  }
}

void SettingsStoreEntries::ReadEntry(const WString& category, BSTR name) {
  ComPtr<kiSettingsStore> store;
  if (FAILED(store_.As(&store)) || !store) return;
  const UniqueBstr categoryText(category);
  UniqueBstr text;
  if (store->GetEntry(categoryText.Get(), name, text.Put()) != S_OK) return;
  entries_.emplace(name ? WString(name, SysStringLen(name)) : WString(), text.ToString());
}
