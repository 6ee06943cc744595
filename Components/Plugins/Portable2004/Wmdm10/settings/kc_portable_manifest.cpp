#include "settings/kc_portable_manifest.h"

#include <new>

#include <unique_bstr.h>
#include <unique_variant.h>

#include "settings/manifest_document.h"
#include "settings/manifest_fields.h"

namespace {

// The Devices elements may sit at any depth; a Device elsewhere is not read.
const WCHAR kDevicesQuery[] = W("//Devices/Device");

// The element's VidPid attribute when it is a string.
bool ReadKey(IXMLDOMElement* element, WString* key) {
  const UniqueBstr name(W("VidPid"));
  UniqueVariant value;
  if (FAILED(element->getAttribute(name.Get(), value.Get())) || value.Type() != VT_BSTR) return false;
  *key = WString(value->bstrVal, SysStringLen(value->bstrVal));
  return true;
}

void ReadHiddenFolders(IXMLDOMElement* element, std::vector<WString>* folders) {
  ForEachSelectedNode(element, W("HiddenFolder"), [&](IXMLDOMNode* node) {
    UniqueBstr text;
    if (SUCCEEDED(node->get_text(text.Put())) && text) folders->push_back(text.ToString());
  });
}

void ReadFields(IXMLDOMElement* element, kcDeviceSettings* settings) {
  settings->RootSupportsFolders = ReadFlag(element, W("RootSupportsFolders"));
  settings->SupportsFolders = ReadFlag(element, W("SupportsFolders"));
  settings->RootAllowsFiles = ReadFlag(element, W("RootAllowsFiles"));
  settings->FolderAllowsFiles = ReadFlag(element, W("FolderAllowsFiles"));
  settings->CheckDisplayNameOnDownload = ReadFlag(element, W("CheckDisplayNameOnDownload"));
  settings->SupportsFormat = ReadFlag(element, W("SupportsFormat"));
  settings->SupportsPlaylists = ReadFlag(element, W("SupportsPlaylists"));
  settings->ShowSystemFiles = ReadFlag(element, W("ShowSystemFiles"));
  settings->AlternateRoot = ReadText(element, W("AlternateRoot"));
  // Stored as a device path below the root: "Music" becomes "\Music".
  if (!settings->AlternateRoot.empty()) settings->AlternateRoot = W("\\") + settings->AlternateRoot;
  settings->FriendlyDisplayName = ReadText(element, W("FriendlyDisplayName"));
  settings->DisplayMfgName = ReadText(element, W("DisplayMfgName"));
  ReadHiddenFolders(element, &settings->HiddenFolder);
}

}  // namespace

kcPortableManifest::kcPortableManifest() {
  try {
    Load();
  } catch (const std::bad_alloc&) {
    // Out of memory half-way: better no settings than some.
    settings_.clear();
  }
}

const kcDeviceSettings* kcPortableManifest::GetSettings(WString key) const {
  const auto found = settings_.find(wide::LowerAscii(key));
  return found == settings_.end() ? nullptr : found->second.get();
}

void kcPortableManifest::Load() {
  ComPtr<IXMLDOMDocument> document;
  if (LoadManifestDocument(entries_, &document) != S_OK) return;
  ForEachSelectedNode(document.Get(), kDevicesQuery, [this](IXMLDOMNode* node) { ReadDevice(node); });
}

// A Device element without a usable VidPid attribute names no device and is skipped.
void kcPortableManifest::ReadDevice(IXMLDOMNode* node) {
  ComPtr<IXMLDOMElement> element;
  WString key;
  if (FAILED(node->QueryInterface(IID_IXMLDOMElement, element.AsVoidOut())) || !element || !ReadKey(element.Get(), &key)) return;
  auto settings = std::unique_ptr<kcDeviceSettings>(new (std::nothrow) kcDeviceSettings);
  if (!settings) return;
  PercentDecode(key);
  key = wide::LowerAscii(key);
  ReadFields(element.Get(), settings.get());
  settings_.emplace(std::move(key), std::move(settings));
}
