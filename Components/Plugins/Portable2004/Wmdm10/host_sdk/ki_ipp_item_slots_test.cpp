// The item interface is shared with the host, so each operation must sit at
// its slot. A recording item is called through raw slot indices.
#include "host_sdk/ki_ipp_item.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RecordingItem : public kiIPPItem {
 public:
  std::string last;
  LONG GetKind() override { return Note("GetKind"), 0; }
  void SetKind(LONG) override { Note("SetKind"); }
  LONG GetBitrate() override { return Note("GetBitrate"), 0; }
  void SetBitrate(LONG) override { Note("SetBitrate"); }
  LONG GetDuration() override { return Note("GetDuration"), 0; }
  void SetDuration(LONG) override { Note("SetDuration"); }
  ULONGLONG GetSize() override { return Note("GetSize"), 0; }
  void SetSize(ULONGLONG) override { Note("SetSize"); }
  BSTR GetAlbum() override { return Note("GetAlbum"), nullptr; }
  bool SetAlbum(const WCHAR*) override { return Note("SetAlbum"), true; }
  BSTR GetArtist() override { return Note("GetArtist"), nullptr; }
  bool SetArtist(const WCHAR*) override { return Note("SetArtist"), true; }
  BSTR GetTitle() override { return Note("GetTitle"), nullptr; }
  bool SetTitle(const WCHAR*) override { return Note("SetTitle"), true; }
  BSTR GetGenre() override { return Note("GetGenre"), nullptr; }
  bool SetGenre(const WCHAR*) override { return Note("SetGenre"), true; }
  BSTR GetLocation() override { return Note("GetLocation"), nullptr; }
  bool SetLocation(const WCHAR*) override { return Note("SetLocation"), true; }
  bool GetPropertyBool(const WCHAR*, bool*) override { return Note("GetPropertyBool"), true; }
  bool GetPropertyLong(const WCHAR*, LONG*) override { return Note("GetPropertyLong"), true; }
  bool GetPropertyString(const WCHAR*, BSTR*) override { return Note("GetPropertyString"), true; }
  bool SetPropertyBool(const WCHAR*, LONG) override { return Note("SetPropertyBool"), true; }
  bool SetPropertyLong(const WCHAR*, LONG) override { return Note("SetPropertyLong"), true; }
  bool SetPropertyString(const WCHAR*, const WCHAR*) override { return Note("SetPropertyString"), true; }
  void Clear() override { Note("Clear"); }
  void CopyTo(kiIPPItem*) override { Note("CopyTo"); }

 private:
  void Note(const char* name) { last = name; }
};

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
