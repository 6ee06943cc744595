// The text rules the inventory reads and matches names by.
#include <gtest/gtest.h>

#include "detect/kc_device_inventory.h"

namespace {

TEST(InventoryTextRules, InstancePrefixDropsTheUnitSuffix) {
  const struct {
    const WCHAR* text;
    const WCHAR* prefix;
  } cases[] = {
      {W("5&2a3b4c5d&0&1"), W("5&2a3b4c5d")},       {W("0000000000001234&0"), W("0000000000001234")},
      {W("AB"), W("AB")},                           {W("A&B&C"), W("A&B")},
      {W("&&&"), W("&&")},                          {W(""), W("")},
      {W("7&18ec28b&0&RM"), W("7&18ec28b")},        {W("51491E64"), W("51491E64")},
  };
  for (const auto& c : cases) EXPECT_EQ(WString(c.prefix), kcDeviceInventory::InstancePrefix(c.text)) << wide::ToUtf8(WString(c.text));
  // The comparison that builds no prefix agrees with comparing built ones.
  for (const auto& a : cases) {
    for (const auto& b : cases) {
      const bool same = kcDeviceInventory::InstancePrefix(a.text) == kcDeviceInventory::InstancePrefix(b.text);
      EXPECT_EQ(same, kcDeviceInventory::SameInstancePrefix(a.text, b.text))
          << wide::ToUtf8(WString(a.text)) << " / " << wide::ToUtf8(WString(b.text));
    }
  }
  EXPECT_TRUE(kcDeviceInventory::SameInstancePrefix(W("5&2a3b4c5d&0&1"), W("5&2a3b4c5d")));
  EXPECT_FALSE(kcDeviceInventory::SameInstancePrefix(W("5&2a3b4c5d&0"), W("5&2a3b4c5dX&0")));
}

TEST(InventoryTextRules, CleanNamePartTrimsUnderscoresAndTurnsTheRestIntoSpaces) {
  const struct {
    const WCHAR* text;
    const WCHAR* clean;
  } cases[] = {
      {W("Apple_Computer__Inc."), W("Apple Computer  Inc.")}, {W("_Pocket_Drive__"), W("Pocket Drive")},
      {W("USB_FLASH_DRIVE"), W("USB FLASH DRIVE")},           {W("___"), W("")},
      {W(""), W("")},                                         {W("Rugged_FW/USB"), W("Rugged FW/USB")},
  };
  for (const auto& c : cases) EXPECT_EQ(WString(c.clean), kcDeviceInventory::CleanNamePart(c.text)) << wide::ToUtf8(WString(c.text));
}

TEST(InventoryTextRules, StorageAndFireWireKeysGiveVendorProductAndRevision) {
  using Parse = bool (*)(const WString&, WString&, WString&, WString&);
  const Parse storage = kcDeviceInventory::ParseStorageKey;
  const Parse fireWire = kcDeviceInventory::ParseSbp2Key;
  const struct {
    Parse parse;
    const WCHAR* key;
    bool complete;
    const WCHAR *vendor, *product, *revision;  // "-": not written
  } cases[] = {
      {storage, W("Disk&Ven_&Prod_USB_Flash_Drive&Rev_1.00"), true, W(""), W("USB Flash Drive"), W("1.00")},
      {storage, W("Disk&Ven_ACME&Prod_Pocket&Rev_1.00"), true, W("ACME"), W("Pocket"), W("1.00")},
      {storage, W("Disk&Ven_LaCie&Prod_Rugged_FW/USB&Rev_"), true, W("LaCie"), W("Rugged FW/USB"), W("")},
      {storage, W("Disk&Ven_&Prod_&Rev_"), true, W(""), W(""), W("")},
      {storage, W("Disk&Ven_X"), false, W("X"), W("-"), W("-")},
      {storage, W("Disk&Ven_X&Prod_Y"), false, W("X"), W("Y"), W("-")},
      {storage, W("Disk"), false, W("-"), W("-"), W("-")},
      {fireWire, W("Apple_Computer__Inc.&Portable_HD&LUN0"), true, W("Apple Computer  Inc."), W("Portable HD"),
       W("LUN0")},
      // Cleaned only when every part is there.
      {fireWire, W("Creative_Labs&Disk"), false, W("Creative_Labs"), W("Disk"), W("-")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(WString(c.key)));
    WString vendor = W("-"), product = W("-"), revision = W("-");
    EXPECT_EQ(c.complete, c.parse(c.key, vendor, product, revision));
    EXPECT_EQ(WString(c.vendor), vendor);
    EXPECT_EQ(WString(c.product), product);
    EXPECT_EQ(WString(c.revision), revision);
  }
}

TEST(InventoryTextRules, SignificantWordsIgnoreCommonOnesAndCase) {
  const struct {
    const WCHAR *a, *b;
    bool shared;
  } cases[] = {
      {W("USB Mass Storage Device"), W("Generic USB Device"), false},
      {W("Acme Player"), W("ACME Pocket"), true},
      {W("Player Acme"), W("Acme"), true},
      {W("Pocket"), W("ACME  Pocket   USB Device"), true},
      {W(""), W("Acme"), false},
      {W("Portable Digital Audio Player"), W("portable digital audio player"), false},
      {W("Acme"), W("Acmes"), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.shared, kcDeviceInventory::SharesSignificantWord(c.a, c.b))
        << wide::ToUtf8(WString(c.a)) << " / " << wide::ToUtf8(WString(c.b));
  EXPECT_TRUE(kcDeviceInventory::IsCommonWord(W("USBSTOR")));
  EXPECT_FALSE(kcDeviceInventory::IsCommonWord(W("usbstor2")));
}

TEST(InventoryTextRules, FirstWordOfPutsTheFirstWordInTitleCase) {
  const struct {
    const WCHAR* text;
    bool found;
    const WCHAR* word;
  } cases[] = {
      {W("aCME pocket"), true, W("Acme")},
      {W("ACME Pocket USB Device"), true, W("Acme")},
      {W("   spaced out"), true, W("Spaced")},
      {W(""), false, W("unchanged")},
      {W("    "), false, W("unchanged")},
  };
  for (const auto& c : cases) {
    WString word = W("unchanged");
    EXPECT_EQ(c.found, kcDeviceInventory::FirstWordOf(c.text, word)) << wide::ToUtf8(WString(c.text));
    EXPECT_EQ(WString(c.word), word);
  }
}

}  // namespace
