#include "settings/kc_vid_pid_filter.h"

#include <algorithm>
#include <new>

#include <unique_bstr.h>
#include <unique_variant.h>

#include "settings/hex_scan.h"
#include "settings/manifest_document.h"

namespace {

const WCHAR kVendorsQuery[] = W("//SkipList/Vendor");

// Texts are compared within a fixed-size working copy, as the list was always
// matched; the C locale's lower-casing maps A-Z only.
constexpr size_t kWorkingLength = 999;

WString LoweredPrefix(const WCHAR* text) {
  return wide::LowerAscii(WString(text ? text : W(""), text ? std::min(wide::Length(text), kWorkingLength) : 0));
}

// An attribute selected by `query` ("@Id"), when its value comes back as a string.
bool ReadAttribute(IXMLDOMNode* node, const WCHAR* query, WString* value) {
  const UniqueBstr queryText(query);
  ComPtr<IXMLDOMNode> attribute;
  if (node->selectSingleNode(queryText.Get(), &attribute) != S_OK || !attribute) return false;
  UniqueVariant nodeValue;
  if (FAILED(attribute->get_nodeValue(nodeValue.Get())) || nodeValue.Type() != VT_BSTR) return false;
  *value = WString(nodeValue->bstrVal, SysStringLen(nodeValue->bstrVal));
  return true;
}

void ReadHexAttribute(IXMLDOMNode* node, const WCHAR* query, DWORD* value) {
  WString text;
  if (ReadAttribute(node, query, &text)) *value = ScanHex(text);
}

bool Contains(const WString& text, const WString& part) { return text.find(part) != WString::npos; }

}  // namespace

kcVidPidFilter::kcVidPidFilter() {
  try {
    Load();
  } catch (const std::bad_alloc&) {
    // Out of memory half-way: better no list than part of one.
    entries_.clear();
  }
}

kcVidPidFilter::~kcVidPidFilter() = default;

void kcVidPidFilter::ReadVidPid(const WCHAR* text, DWORD* vendorId, DWORD* productId) {
  const WString lowered = LoweredPrefix(text);
  const struct {
    const WCHAR* tag;
    DWORD* out;
  } parts[] = {{W("vid_"), vendorId}, {W("pid_"), productId}};
  for (const auto& part : parts) {
    if (!part.out) continue;
    const size_t found = lowered.find(part.tag);
    *part.out = found == WString::npos ? 0 : ParseHexAfterUnderscore(lowered.substr(found));
  }
}

DWORD kcVidPidFilter::ParseHexAfterUnderscore(const WString& text) {
  const size_t underscore = text.find(W('_'));
  size_t begin = underscore == WString::npos ? text.size() : underscore + 1;
  size_t end = begin;
  while (end < text.size() && IsCharAlphaNumericW(text[end])) ++end;
  return ScanHex(text.substr(begin, end - begin));
}

bool kcVidPidFilter::IsSkippedDevice(DWORD vendorId, DWORD productId, WString manufacturer,
                                     WString deviceFriendlyName) const {
  const WString lowered = LoweredPrefix(manufacturer.c_str());
  for (const kcSkipEntry& entry : entries_) {
    if (entry.vendorId != vendorId || entry.productId != productId) continue;
    // A filter decides alone; the friendly name is consulted only without one.
    if (!entry.filter.empty()) {
      if (!lowered.empty() && Contains(lowered, entry.filter)) return true;
    } else if (entry.friendlyName.empty()) {
      return true;
    } else if (!deviceFriendlyName.empty() && Contains(deviceFriendlyName, entry.friendlyName)) {
      return true;
    }
  }
  return false;
}

bool kcVidPidFilter::IsSkippedByNames(WString manufacturer, WString name) const {
  manufacturer = wide::LowerAscii(manufacturer);
  name = wide::LowerAscii(name);
  for (const kcSkipEntry& entry : entries_) {
    if (wide::LowerAscii(entry.vendorName) == manufacturer && wide::LowerAscii(entry.productName) == name)
      return true;
  }
  return false;
}

void kcVidPidFilter::Load() {
  ComPtr<IXMLDOMDocument> document;
  if (LoadManifestDocument(storeEntries_, &document) != S_OK) return;
  ForEachSelectedNode(document.Get(), kVendorsQuery, [this](IXMLDOMNode* vendor) { ReadVendor(vendor); });
}

void kcVidPidFilter::ReadVendor(IXMLDOMNode* vendor) {
  kcSkipEntry vendorFields;
  ReadHexAttribute(vendor, W("@Id"), &vendorFields.vendorId);
  ReadAttribute(vendor, W("@Name"), &vendorFields.vendorName);
  ForEachSelectedNode(vendor, W("Product"), [&](IXMLDOMNode* product) {
    kcSkipEntry entry = vendorFields;
    ReadHexAttribute(product, W("@Id"), &entry.productId);
    ReadAttribute(product, W("@Name"), &entry.productName);
    ReadAttribute(product, W("@Filter"), &entry.filter);
    ReadAttribute(product, W("@FriendlyName"), &entry.friendlyName);
    entries_.push_back(std::move(entry));
  });
}
