#include "content/kc_ipp_item.h"

#include <cstring>
#include <new>

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

void kcIPPItem::CopyValue(const VARIANT& source, UniqueVariant& copy) {
  const HRESULT hr = copy.CopyFrom(source);
  if (FAILED(hr)) {
    VARIANT* failed = copy.Put();
    failed->vt = VT_ERROR;
    failed->scode = hr;
  }
}

const VARIANT* kcIPPItem::Find(const WCHAR* name) const {
  if (!name) return nullptr;
  try {
    const auto found = properties_.find(WString(name));
    return found == properties_.end() ? nullptr : found->second.Get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

VARIANT* kcIPPItem::Entry(const WCHAR* name) {
  if (!name) return nullptr;
  try {
    // try_emplace builds the holder in place: a UniqueVariant cannot move.
    VARIANT* entry = properties_.try_emplace(WString(name)).first->second.Put();
    // Zeroed, so that reading another width of the value (a long of a bool)
    // gives the same bits on every run.
    std::memset(entry, 0, sizeof(*entry));
    return entry;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
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
  try {
    // The properties are copied aside first, so that running out of memory
    // leaves the target as it was.
    PropertyMap copies;
    for (const auto& [name, value] : properties_) CopyValue(*value.Get(), copies.try_emplace(name).first->second);
    other->Clear();
    other->properties_.swap(copies);
  } catch (const std::bad_alloc&) {
    return;
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
