// The host's manifest, as a person edits it in a file: decoded as the host
// decodes manifest files, served by the host's settings store, read by both
// readers (device settings and skip list), and every record looked up again.
#include <windows.h>
#include <objbase.h>

#include <com_ptr.h>

#include "fuzz_input.h"
#include "host_support/class_object_registration.h"
#include "host_support/input_file.h"
#include "host_support/manifest_file.h"
#include "host_support/settings_store.h"
#include "settings/kc_portable_manifest.h"
#include "settings/kc_vid_pid_filter.h"

namespace {

// How many references the object has now.
ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

void ReadThroughBothReaders(IUnknown* store) {
  const ULONG before = References(store);
  const kcVidPidFilter filter;
  const kcPortableManifest manifest;
  // Each reader lets go of the store once it is built.
  fuzz::Require(References(store) == before, "a reader kept a reference to the settings store");
  for (const auto& record : manifest.Settings())
    fuzz::Require(manifest.GetSettings(record.first) == record.second.get(), "a record its own key does not find");
  for (const kcSkipEntry& entry : filter.Entries()) {
    fuzz::Require(filter.IsSkippedByNames(entry.vendorName, entry.productName), "a skip entry that skips nothing");
    filter.IsSkippedDevice(entry.vendorId, entry.productId, entry.filter, entry.friendlyName);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const HRESULT apartment = CoInitialize(nullptr);
  if (FAILED(apartment)) fuzz::Broken("COM does not start");

  WString text;
  std::string error;
  // A text no decoder takes still reaches the store: as UTF-16 units.
  if (!DecodeTextFile(std::string(reinterpret_cast<const char*>(data), size), &text, &error))
    text = fuzz::Utf16Units(data, size);
  text = WithoutXmlDeclaration(text);

  IUnknown* store = nullptr;
  if (FAILED(HostSettingsStore::CreateForManifest(text, &store))) fuzz::Broken("no settings store");
  {
    ClassObjectRegistration registration(CLSID_kcSettingsStore, store);
    fuzz::Require(SUCCEEDED(registration.Result()), "the settings store cannot be offered");
    ReadThroughBothReaders(store);
  }
  // The registration lets go on revoking: only this reference is left.
  fuzz::Require(store->Release() == 0, "a reference to the settings store was kept");
  return 0;
}
