#include "content/storage_lookup.h"

#include "base/enumerator_next.h"
#include "host_sdk/ipp_result_codes.h"
#include <result_macros.h>

namespace {

constexpr UINT kNameChars = 259;

// Reads names off an enumerator until one equals `name`. Failing that, the
// one storage whose name differs in case only, case folded beyond ASCII as
// the cards players carry fold it ("Ärger" is "ärger" there); two such are
// ambiguous and none is found (a device whose file system tells case apart
// holds both).
HRESULT FindByEnumeration(IWMDMEnumStorage* enumerator, const WString& name, IWMDMStorage** found) {
  HRESULT failure = S_OK;
  ComPtr<IWMDMStorage> caseAside;
  bool ambiguous = false;
  for (;;) {
    ComPtr<IWMDMStorage> candidate;
    const HRESULT next = NextOfEnumerator(enumerator, candidate);
    RETURN_IF_FAILED(next);
    if (next != S_OK) break;
    WCHAR text[kNameChars + 1] = {};
    const HRESULT named = candidate->GetName(text, kNameChars);
    if (FAILED(named)) {
      // A storage whose name cannot be read is not the one asked for; a
      // later one may still be.
      failure = named;
      continue;
    }
    text[kNameChars] = 0;
    if (text == name) {
      *found = candidate.Detach();
      return S_OK;
    }
    if (wide::EqualsFolded(text, name)) {
      ambiguous = ambiguous || caseAside;
      caseAside = candidate;
    }
  }
  if (caseAside && !ambiguous) {
    *found = caseAside.Detach();
    return S_OK;
  }
  return FAILED(failure) ? failure : S_FALSE;
}

// A top-level storage has no parent. A device's lookup by name searches the
// first medium's root, so what it finds may be a folder there that happens
// to carry the medium's name.
bool IsMedium(const ComPtr<IWMDMStorage>& storage) {
  ComPtr<IWMDMStorage4> storage4;
  if (FAILED(storage.As(&storage4)) || !storage4) return false;
  ComPtr<IWMDMStorage> parent;
  const HRESULT hr = storage4->GetParent(&parent);
  return SUCCEEDED(hr) && !parent;
}

// Some devices answer a lookup by name with an object that is not really
// there; its size gives it away. A folder has no size of its own, so one
// that says it is a folder is taken at its word: otherwise every folder on
// a path would cost an enumeration of the folder above it.
bool HasContent(const ComPtr<IWMDMStorage>& storage) {
  DWORD low = 0;
  DWORD high = 0;
  if (SUCCEEDED(storage->GetSize(&low, &high)) && (low != 0 || high != 0)) return true;
  DWORD attributes = 0;
  return SUCCEEDED(storage->GetAttributes(&attributes, nullptr)) && (attributes & WMDM_FILE_ATTR_FOLDER) != 0;
}

}  // namespace

HRESULT FindMedium(ComPtr<IWMDMDevice> device, const WString& name, IWMDMStorage** storage) {
  RETURN_HR_IF(E_POINTER, !storage);
  *storage = nullptr;
  RETURN_HR_IF(IPP_E_FAIL, !device);
  ComPtr<IWMDMDevice2> device2;
  if (SUCCEEDED(device.As(&device2)) && device2) {
    ComPtr<IWMDMStorage> direct;
    if (device2->GetStorage(name.c_str(), &direct) == S_OK && direct && IsMedium(direct)) {
      *storage = direct.Detach();
      return S_OK;
    }
  }
  ComPtr<IWMDMEnumStorage> media;
  RETURN_IF_FAILED(device->EnumStorage(&media));
  RETURN_HR_IF(E_UNEXPECTED, !media);
  return FindByEnumeration(media.Get(), name, storage);
}

HRESULT FindChildStorage(ComPtr<IWMDMStorage> parent, const WString& name, IWMDMStorage** child) {
  RETURN_HR_IF(E_POINTER, !child);
  *child = nullptr;
  RETURN_HR_IF(IPP_E_FAIL, !parent);
  ComPtr<IWMDMStorage2> parent2;
  if (SUCCEEDED(parent.As(&parent2)) && parent2) {
    ComPtr<IWMDMStorage> direct;
    if (parent2->GetStorage(name.c_str(), &direct) == S_OK && direct && HasContent(direct)) {
      *child = direct.Detach();
      return S_OK;
    }
  }
  ComPtr<IWMDMEnumStorage> children;
  RETURN_IF_FAILED(parent->EnumStorage(&children));
  RETURN_HR_IF(E_UNEXPECTED, !children);
  return FindByEnumeration(children.Get(), name, child);
}
