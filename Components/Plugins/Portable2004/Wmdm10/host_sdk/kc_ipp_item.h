// The item record: one track, folder or playlist as the host sees it. The
// host compiles this same class into its own module and hands its records to
// the plug-in, so CopyTo recognises a record of this class by its run-time
// type (by name: the type information of the two modules are distinct
// objects) and then writes the other module's record directly; both sides
// share the layout below, the BSTR allocator and the C runtime's heap.
//
// Called by the host through the slots of kiIPPItem: no method lets an
// exception out; a failed allocation shows as a setter answering false.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <vector>

#include <wide_text.h>

#include "ki_ipp_item.h"
#include <unique_bstr.h>
#include <unique_variant.h>

class kcIPPItem final : public kiIPPItem {
 public:
  kcIPPItem() = default;
  kcIPPItem(const kcIPPItem&) = delete;
  kcIPPItem& operator=(const kcIPPItem&) = delete;
  // Not virtual: the interface has no destructor slot, and the module that
  // made a record deletes it through this class.
  ~kcIPPItem() { ClearProperties(); }

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
  void CopyTo(kiIPPItem* target) override;

  // The setters of location and title for text that is not terminated; false
  // (the field unchanged) when out of memory.
  bool SetLocationText(std::basic_string_view<WCHAR> location) { return Store(location_, location); }
  bool SetTitleText(std::basic_string_view<WCHAR> title) { return Store(title_, title); }

  // How many named properties the record holds.
  size_t PropertyCount() const;

  // The names the system writes itself, in name order; each has its own
  // place in every record.
  enum KnownName : int { kItemDeletable, kItemOrder, kItemRenamable, kItemTrackNumber, kItemTrackRanking };
  static constexpr int kKnownCount = 5;
  // SetPropertyBool for a known name, without looking the name up.
  void SetKnownBool(KnownName name, LONG value);

 private:
  using NameView = std::basic_string_view<WCHAR>;

  // A property under a name the system does not write itself (the host may
  // set any).
  struct Property {
    Property() { VariantInit(&value); }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;
    Property(Property&& other) noexcept;
    Property& operator=(Property&& other) noexcept;
    ~Property() { VariantClear(&value); }

    WString name;
    VARIANT value;
  };
  // In name order; a record seldom holds any.
  using PropertyList = std::vector<Property>;

  static BSTR CopyOut(const UniqueBstr& text);
  static void CopyText(const UniqueBstr& source, UniqueBstr& target);
  static bool Store(UniqueBstr& field, const WCHAR* text);
  static bool Store(UniqueBstr& field, std::basic_string_view<WCHAR> text);
  // The copy a getter reads: a failed copy reads as VT_ERROR with its code.
  static void CopyValue(const VARIANT& source, VARIANT& copy);
  static void CopyValue(const VARIANT& source, UniqueVariant& copy) { CopyValue(source, *copy.Put()); }
  // The entry for a name, made empty; null when the name is null or the list
  // cannot grow.
  VARIANT* Entry(const WCHAR* name);
  VARIANT* KnownEntry(KnownName name);
  // The entry with its value freed and zeroed.
  static VARIANT* Emptied(VARIANT* entry);
  // True for a value with nothing to free (VariantClear would only reset it).
  static bool HoldsNothing(const VARIANT& value) {
    return value.vt == VT_EMPTY || value.vt == VT_BOOL || value.vt == VT_I4;
  }
  const VARIANT* Find(const WCHAR* name) const;
  void ClearProperties();

  // The known names' values by their place in the table of names, VT_EMPTY
  // while unset: a listed item's flags cost no allocation and no search,
  // and a record another module's copy of this class wrote has them in the
  // same places.
  VARIANT known_[kKnownCount] = {};
  PropertyList others_;
  LONG kind_ = 0;
  UniqueBstr location_;
  UniqueBstr album_;
  UniqueBstr artist_;
  UniqueBstr title_;
  UniqueBstr genre_;
  LONG bitrate_ = 0;
  LONG duration_ = 0;
  ULONGLONG size_ = 0;
};
