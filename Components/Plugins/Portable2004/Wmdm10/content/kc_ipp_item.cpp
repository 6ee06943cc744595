#include "content/kc_ipp_item.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The property names the system writes itself (the host may write others).
const std::basic_string_view<WCHAR> kKnownNames[] = {W("ItemDeletable"), W("ItemOrder"), W("ItemRenamable"),
                                                     W("ItemTrackNumber"), W("ItemTrackRanking")};
constexpr int kKnownCount = static_cast<int>(sizeof(kKnownNames) / sizeof(kKnownNames[0]));

int KnownPlace(std::basic_string_view<WCHAR> name) {
  for (int i = 0; i < kKnownCount; ++i)
    if (name == kKnownNames[i]) return i;
  return -1;
}

}  // namespace

kcIPPItem::Property::Property(Property&& other) noexcept
    : known(other.known), own(std::move(other.own)), value(other.value) {
  VariantInit(&other.value);
}

kcIPPItem::Property& kcIPPItem::Property::operator=(Property&& other) noexcept {
  if (this != &other) {
    VariantClear(&value);
    known = other.known;
    own = std::move(other.own);
    value = other.value;
    VariantInit(&other.value);
  }
  return *this;
}

kcIPPItem::NameView kcIPPItem::Property::Name() const {
  return known >= 0 && known < kKnownCount ? kKnownNames[known] : NameView(own);
}

BSTR kcIPPItem::CopyOut(const UniqueBstr& text) {
  return text ? SysAllocStringLen(text.Get(), text.Length()) : nullptr;
}

bool kcIPPItem::Store(UniqueBstr& field, const WCHAR* text) {
  if (!text) return false;
  BSTR copy = SysAllocString(text);
  // Out of memory: keep what the record had rather than lose it.
  if (!copy) return false;
  field.Reset(copy);
  return true;
}

void kcIPPItem::CopyValue(const VARIANT& source, VARIANT& copy) {
  VariantClear(&copy);
  // mingw's oleauto.h declares the source without const.
  const HRESULT hr = VariantCopy(&copy, const_cast<VARIANT*>(&source));
  if (FAILED(hr)) {
    VariantClear(&copy);
    copy.vt = VT_ERROR;
    copy.scode = hr;
  }
}

const VARIANT* kcIPPItem::Find(const WCHAR* name) const {
  if (!name) return nullptr;
  const NameView wanted(name);
  for (const Property& property : properties_)
    if (property.Name() == wanted) return &property.value;
  return nullptr;
}

VARIANT* kcIPPItem::Entry(const WCHAR* name) {
  if (!name) return nullptr;
  const NameView wanted(name);
  PropertyList::iterator place;
  try {
    // A built record gets two or three properties: one block for them.
    if (properties_.capacity() == 0) properties_.reserve(4);
    place = std::lower_bound(properties_.begin(), properties_.end(), wanted,
                             [](const Property& property, NameView text) { return property.Name() < text; });
    if (place == properties_.end() || place->Name() != wanted) {
      Property made;
      made.known = KnownPlace(wanted);
      if (made.known < 0) made.own.assign(wanted);
      place = properties_.insert(place, std::move(made));
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  VARIANT* entry = &place->value;
  VariantClear(entry);
  // Zeroed, so that reading another width of the value (a long of a bool)
  // gives the same bits on every run.
  std::memset(entry, 0, sizeof(*entry));
  return entry;
}

bool kcIPPItem::GetPropertyBool(const WCHAR* name, bool* value) {
  if (!name || !value) return false;
  *value = false;
  const VARIANT* found = Find(name);
  if (!found) return false;
  UniqueVariant copy;
  CopyValue(*found, copy);
  *value = static_cast<USHORT>(copy->boolVal) == 0xFFFF;
  return true;
}

bool kcIPPItem::GetPropertyLong(const WCHAR* name, LONG* value) {
  if (!name || !value) return false;
  *value = 0;
  const VARIANT* found = Find(name);
  if (!found) return false;
  UniqueVariant copy;
  CopyValue(*found, copy);
  *value = copy->lVal;
  return true;
}

bool kcIPPItem::GetPropertyString(const WCHAR* name, BSTR* value) {
  if (!name || !value) return false;
  const VARIANT* found = Find(name);
  // Only a string has a string to give: the pointer of any other value is
  // not one, so such a property reads as absent.
  if (!found || found->vt != VT_BSTR) return false;
  UniqueVariant copy;
  CopyValue(*found, copy);
  if (copy.Type() != VT_BSTR) return false;
  *value = copy->bstrVal;
  copy->vt = VT_EMPTY;  // the caller owns the string now
  return true;
}

bool kcIPPItem::SetPropertyBool(const WCHAR* name, LONG value) {
  VARIANT* entry = Entry(name);
  if (!entry) return false;
  entry->vt = VT_BOOL;
  entry->boolVal = value == 1 ? VARIANT_TRUE : VARIANT_FALSE;
  return true;
}

bool kcIPPItem::SetPropertyLong(const WCHAR* name, LONG value) {
  VARIANT* entry = Entry(name);
  if (!entry) return false;
  entry->vt = VT_I4;
  entry->lVal = value;
  return true;
}

bool kcIPPItem::SetPropertyString(const WCHAR* name, const WCHAR* text) {
  VARIANT* entry = Entry(name);
  if (!entry) return false;
  BSTR copy = SysAllocString(text);
  if (text && !copy) {
    entry->vt = VT_ERROR;
    entry->scode = E_OUTOFMEMORY;
  } else {
    entry->vt = VT_BSTR;
    entry->bstrVal = copy;
  }
  return true;
}

void kcIPPItem::Clear() {
  kind_ = 0;
  bitrate_ = 0;
  duration_ = 0;
  size_ = 0;
  location_.Reset();
  album_.Reset();
  artist_.Reset();
  title_.Reset();
  genre_.Reset();
  properties_.clear();
}

void kcIPPItem::CopyTo(kiIPPItem* target) {
  // The host's record comes from the host's module: only its type's name
  // ties it to this class.
  auto* other = dynamic_cast<kcIPPItem*>(target);
  if (!other || other == this) return;
  // A listing copies the same few flags into the host's record item after
  // item: when no copy can fail and the target has the room, they are
  // written in place and the target keeps its block.
  const bool plain = other->properties_.capacity() >= properties_.size() &&
                     std::all_of(properties_.begin(), properties_.end(), [](const Property& property) {
                       return property.known >= 0 && (property.value.vt == VT_BOOL || property.value.vt == VT_I4);
                     });
  if (plain) {
    other->Clear();
    for (const Property& property : properties_) {
      Property& copy = other->properties_.emplace_back();
      copy.known = property.known;
      copy.value = property.value;
    }
  } else {
    try {
      // The properties are copied aside first, so that running out of
      // memory leaves the target as it was.
      PropertyList copies;
      copies.reserve(properties_.size());
      for (const Property& property : properties_) {
        Property& copy = copies.emplace_back();
        copy.known = property.known;
        copy.own = property.own;
        CopyValue(property.value, copy.value);
      }
      other->Clear();
      other->properties_.swap(copies);
    } catch (const std::bad_alloc&) {
      return;
    }
  }
  other->kind_ = kind_;
  other->bitrate_ = bitrate_;
  other->duration_ = duration_;
  other->size_ = size_;
  other->location_.Reset(CopyOut(location_));
  other->album_.Reset(CopyOut(album_));
  other->artist_.Reset(CopyOut(artist_));
  other->title_.Reset(CopyOut(title_));
  other->genre_.Reset(CopyOut(genre_));
}
