// The host's own item record: what a library application hands the plug-in
// when it sends a track (its tags) and what it keeps of a listed item. The
// plug-in's record class lives in the plug-in's module, which the host loads
// only at run time, so the host brings a class of its own.
//
// Strings go out as the interface wants them: a getter hands over a fresh
// BSTR that the caller frees (null when the record holds no text), a setter
// copies the caller's text. Named properties hold one value each, of the
// kind last set; a getter of another kind answers false, as does a missing
// name. No method lets an exception out: a failed allocation shows as a
// setter answering false and the record keeps what it had.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <optional>

#include <ki_ipp_item.h>
#include <wide_text.h>

class HostItem final : public kiIPPItem {
 public:
  HostItem() = default;
  HostItem(const HostItem&) = delete;
  HostItem& operator=(const HostItem&) = delete;
  ~HostItem() = default;

  LONG GetKind() override { return kind_; }
  void SetKind(LONG kind) override { kind_ = kind; }
  LONG GetBitrate() override { return bitrate_; }
  void SetBitrate(LONG bitrate) override { bitrate_ = bitrate; }
  LONG GetDuration() override { return duration_; }
  void SetDuration(LONG duration) override { duration_ = duration; }
  ULONGLONG GetSize() override { return size_; }
  void SetSize(ULONGLONG size) override { size_ = size; }
  BSTR GetAlbum() override { return CopyOut(album_); }
  bool SetAlbum(const WCHAR* album) override { return Store(album_, album); }
  BSTR GetArtist() override { return CopyOut(artist_); }
  bool SetArtist(const WCHAR* artist) override { return Store(artist_, artist); }
  BSTR GetTitle() override { return CopyOut(title_); }
  bool SetTitle(const WCHAR* title) override { return Store(title_, title); }
  BSTR GetGenre() override { return CopyOut(genre_); }
  bool SetGenre(const WCHAR* genre) override { return Store(genre_, genre); }
  BSTR GetLocation() override { return CopyOut(location_); }
  bool SetLocation(const WCHAR* location) override { return Store(location_, location); }
  bool GetPropertyBool(const WCHAR* name, bool* value) override;
  bool GetPropertyLong(const WCHAR* name, LONG* value) override;
  bool GetPropertyString(const WCHAR* name, BSTR* value) override;
  bool SetPropertyBool(const WCHAR* name, LONG value) override;
  bool SetPropertyLong(const WCHAR* name, LONG value) override;
  bool SetPropertyString(const WCHAR* name, const WCHAR* text) override;
  void Clear() override;
  // Writes this record into any record through its setters: the target may be
  // of another module's class.
  void CopyTo(kiIPPItem* target) override;

  size_t PropertyCount() const { return properties_.size(); }

 private:
  struct Property {
    enum Kind { kBool, kLong, kString } kind = kLong;
    LONG number = 0;  // a bool is 1 or 0
    std::optional<WString> text;
  };
  using Text = std::optional<WString>;

  static BSTR CopyOut(const Text& text);
  static bool Store(Text& field, const WCHAR* text);
  const Property* Find(const WCHAR* name) const;
  bool Put(const WCHAR* name, Property property);

  LONG kind_ = 0;
  LONG bitrate_ = 0;
  LONG duration_ = 0;
  ULONGLONG size_ = 0;
  Text album_, artist_, title_, genre_, location_;
  std::map<WString, Property> properties_;
};
