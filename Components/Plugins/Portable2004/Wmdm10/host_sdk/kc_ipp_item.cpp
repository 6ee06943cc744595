#include "kc_ipp_item.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <typeinfo>

namespace {

// The property names the system writes itself (the host may write others).
constexpr std::basic_string_view<WCHAR> kKnownNames[] = {W("ItemDeletable"), W("ItemOrder"), W("ItemRenamable"),
                                                     W("ItemTrackNumber"), W("ItemTrackRanking")};
constexpr int kKnownCount = static_cast<int>(sizeof(kKnownNames) / sizeof(kKnownNames[0]));

int KnownPlace(std::basic_string_view<WCHAR> name) {
  for (int i = 0; i < kKnownCount; ++i)
    if (name == kKnownNames[i]) return i;
  return -1;
}

}  // namespace

static_assert(kcIPPItem::kKnownCount == kKnownCount, "the header counts the known names");
static_assert(kKnownNames[kcIPPItem::kItemDeletable] == W("ItemDeletable") &&
                  kKnownNames[kcIPPItem::kItemRenamable] == W("ItemRenamable"),
              "the header's places are the table's");

kcIPPItem::Property::Property(Property&& other) noexcept : name(std::move(other.name)), value(other.value) {
  VariantInit(&other.value);
}

kcIPPItem::Property& kcIPPItem::Property::operator=(Property&& other) noexcept {
  if (this != &other) {
    VariantClear(&value);
    name = std::move(other.name);
    value = other.value;
    VariantInit(&other.value);
  }
  return *this;
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

void kcIPPItem::CopyText(const UniqueBstr& source, UniqueBstr& target) {
  if (!source) {
    target.Reset();
    return;
  }
  // A listing copies into the same host record item after item: a string
  // of the same length is overwritten where it is, another one resized
  // rather than freed and made again.
  const UINT length = source.Length();
  if (target && target.Length() == length) {
    std::memcpy(target.Get(), source.Get(), length * sizeof(WCHAR));
    return;
  }
  BSTR text = target.Release();
  if (SysReAllocStringLen(&text, source.Get(), length)) {
    target.Reset(text);
  } else {
    // Out of memory: the field reads as empty, as a failed copy always has.
    SysFreeString(text);
  }
}

bool kcIPPItem::Store(UniqueBstr& field, std::basic_string_view<WCHAR> text) {
  BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
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
  const int place = KnownPlace(wanted);
  if (place >= 0) return known_[place].vt == VT_EMPTY ? nullptr : &known_[place];
  for (const Property& property : others_)
    if (property.name == wanted) return &property.value;
  return nullptr;
}

VARIANT* kcIPPItem::Entry(const WCHAR* name) {
  if (!name) return nullptr;
  const NameView wanted(name);
  const int place = KnownPlace(wanted);
  if (place >= 0) return KnownEntry(static_cast<KnownName>(place));
  try {
    auto found = std::lower_bound(others_.begin(), others_.end(), wanted,
                                  [](const Property& property, NameView text) { return property.name < text; });
    if (found == others_.end() || found->name != wanted) {
      Property made;
      made.name.assign(wanted);
      found = others_.insert(found, std::move(made));
    }
    return Emptied(&found->value);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

VARIANT* kcIPPItem::Emptied(VARIANT* entry) {
  if (!HoldsNothing(*entry)) VariantClear(entry);
  // Zeroed, so that reading another width of the value (a long of a bool)
  // gives the same bits on every run.
  std::memset(entry, 0, sizeof(*entry));
  return entry;
}

size_t kcIPPItem::PropertyCount() const {
  size_t count = others_.size();
  for (const VARIANT& value : known_) count += value.vt == VT_EMPTY ? 0 : 1;
  return count;
}

void kcIPPItem::ClearProperties() {
  for (VARIANT& value : known_) {
    // A flag holds nothing to free.
    if (!HoldsNothing(value)) VariantClear(&value);
    value.vt = VT_EMPTY;
  }
  others_.clear();
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

VARIANT* kcIPPItem::KnownEntry(KnownName name) { return Emptied(&known_[name]); }

void kcIPPItem::SetKnownBool(KnownName name, LONG value) {
  VARIANT* entry = KnownEntry(name);
  entry->vt = VT_BOOL;
  entry->boolVal = value == 1 ? VARIANT_TRUE : VARIANT_FALSE;
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
  ClearProperties();
}

void kcIPPItem::CopyTo(kiIPPItem* target) {
  // The host's record comes from the host's module: only its type's name
  // ties it to this class. The class is final, so an equal type is the
  // whole test, and it is cheaper than the general cast a listing would pay
  // per child: the same module's records share one type object.
  if (!target || typeid(*target) != typeid(kcIPPItem)) return;
  auto* other = static_cast<kcIPPItem*>(target);
  if (other == this) return;
  // The properties under other names are copied aside first, so that
  // running out of memory leaves the target as it was.
  PropertyList copies;
  if (!others_.empty()) {
    try {
      copies.reserve(others_.size());
      for (const Property& property : others_) {
        Property& copy = copies.emplace_back();
        copy.name = property.name;
        CopyValue(property.value, copy.value);
      }
    } catch (const std::bad_alloc&) {
      return;
    }
  }
  // Each known place is overwritten where it is: a listing copies into the
  // same host record item after item, and clearing every place first cost
  // as much again.
  for (int place = 0; place < kKnownCount; ++place) {
    const VARIANT& value = known_[place];
    VARIANT& target = other->known_[place];
    if (HoldsNothing(value) && HoldsNothing(target))
      target = value;
    else
      CopyValue(value, target);  // frees what the target held
  }
  // The target's own properties leave with `copies`.
  other->others_.swap(copies);
  other->kind_ = kind_;
  other->bitrate_ = bitrate_;
  other->duration_ = duration_;
  other->size_ = size_;
  CopyText(location_, other->location_);
  CopyText(album_, other->album_);
  CopyText(artist_, other->artist_);
  CopyText(title_, other->title_);
  CopyText(genre_, other->genre_);
}
