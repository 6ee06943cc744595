// An item of a class of its own that notes the last operation called on it:
// the slot test calls it through raw slot indices, and the item record's
// tests hand it to CopyTo, which must leave it alone.
#pragma once

#include <string>

#include "host_sdk/ki_ipp_item.h"

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
