// The item interface is shared with the host, so each operation must sit at
// its slot. A recording item is called through raw slot indices.
#include "host_sdk/ki_ipp_item.h"

#include <gtest/gtest.h>

#include "host_sdk/recording_item_test.h"

namespace {

// Calls slot `index` as the host would: the object as the first argument.
void CallSlot(kiIPPItem* item, int index) {
  using Slot = void (*)(kiIPPItem*);
  void** table = *reinterpret_cast<void***>(item);
  reinterpret_cast<Slot>(table[index])(item);
}

TEST(kiIPPItemSlots, EachOperationSitsAtItsSlot) {
  const char* const expected[26] = {
      "GetKind",         "SetKind",         "GetBitrate",        "SetBitrate",      "GetDuration",
      "SetDuration",     "GetSize",         "SetSize",           "GetAlbum",        "SetAlbum",
      "GetArtist",       "SetArtist",       "GetTitle",          "SetTitle",        "GetGenre",
      "SetGenre",        "GetLocation",     "SetLocation",       "GetPropertyBool", "GetPropertyLong",
      "GetPropertyString", "SetPropertyBool", "SetPropertyLong", "SetPropertyString", "Clear",
      "CopyTo"};
  RecordingItem item;
  // Only argument-free and pointer-tolerant slots are safe to call bare; the
  // recording methods ignore their arguments, so every slot qualifies.
  for (int slot = 0; slot < 26; ++slot) {
    item.last.clear();
    CallSlot(&item, slot);
    EXPECT_EQ(item.last, expected[slot]) << "slot " << slot;
  }
}

}  // namespace
