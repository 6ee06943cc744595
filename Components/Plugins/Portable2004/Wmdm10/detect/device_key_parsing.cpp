// Vendor, product and revision from the names of mass-storage and FireWire
// device keys, where underscores stand for spaces.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

namespace {

// The part without its first `prefixLength` characters ("Ven_", "Prod_", "Rev_").
WString WithoutPrefix(const WString& part, size_t prefixLength) {
  return part.size() > prefixLength ? part.substr(prefixLength) : WString();
}

}  // namespace

WString kcDeviceInventory::CleanNamePart(const WString& text) {
  const size_t last = text.find_last_not_of(W('_'));
  if (last == WString::npos) return WString();
  const size_t first = text.find_first_not_of(W('_'));
  WString clean = text.substr(first, last - first + 1);
  for (WCHAR& c : clean)
    if (c == W('_')) c = W(' ');
  return clean;
}

bool kcDeviceInventory::ParseStorageKey(const WString& key, WString& vendor, WString& product, WString& revision) {
  // Disk&Ven_vendor&Prod_product&Rev_revision; the device type is not used.
  const std::vector<WString> parts = inventory_text::SplitParts(key, W('&'));
  if (parts.size() < 2) return false;
  vendor = WithoutPrefix(parts[1], 4);
  if (parts.size() < 3) return false;
  product = WithoutPrefix(parts[2], 5);
  if (parts.size() < 4) return false;
  revision = WithoutPrefix(parts[3], 4);
  vendor = CleanNamePart(vendor);
  product = CleanNamePart(product);
  revision = CleanNamePart(revision);
  return true;
}

bool kcDeviceInventory::ParseSbp2Key(const WString& key, WString& vendor, WString& product, WString& revision) {
  const std::vector<WString> parts = inventory_text::SplitParts(key, W('&'));
  vendor = parts[0];
  if (parts.size() < 2) return false;
  product = parts[1];
  if (parts.size() < 3) return false;
  revision = parts[2];
  vendor = CleanNamePart(vendor);
  product = CleanNamePart(product);
  revision = CleanNamePart(revision);
  return true;
}
