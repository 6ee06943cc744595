#include "host_support/host_item.h"

#include <new>

BSTR HostItem::CopyOut(const Text& text) {
  return text ? SysAllocStringLen(text->data(), static_cast<UINT>(text->size())) : nullptr;
}

bool HostItem::Store(Text& field, const WCHAR* text) {
  if (!text) return false;
  try {
    field = wide::FromPtr(text);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

const HostItem::Property* HostItem::Find(const WCHAR* name) const {
  if (!name) return nullptr;
  try {
    const auto found = properties_.find(wide::FromPtr(name));
    return found == properties_.end() ? nullptr : &found->second;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool HostItem::Put(const WCHAR* name, Property property) {
  if (!name) return false;
  try {
    properties_.insert_or_assign(wide::FromPtr(name), std::move(property));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool HostItem::GetPropertyBool(const WCHAR* name, bool* value) {
  if (!value) return false;
  *value = false;
  const Property* found = Find(name);
  if (!found || found->kind != Property::kBool) return false;
  *value = found->number != 0;
  return true;
}

bool HostItem::GetPropertyLong(const WCHAR* name, LONG* value) {
  if (!value) return false;
  *value = 0;
  const Property* found = Find(name);
  if (!found || found->kind != Property::kLong) return false;
  *value = found->number;
  return true;
}

bool HostItem::GetPropertyString(const WCHAR* name, BSTR* value) {
  if (!value) return false;
  const Property* found = Find(name);
  if (!found || found->kind != Property::kString) return false;
  // A property set from a null text reads as present with no string.
  BSTR copy = CopyOut(found->text);
  if (found->text && !copy) return false;
  *value = copy;
  return true;
}

bool HostItem::SetPropertyBool(const WCHAR* name, LONG value) {
  Property property;
  property.kind = Property::kBool;
  property.number = value == 1 ? 1 : 0;
  return Put(name, std::move(property));
}

bool HostItem::SetPropertyLong(const WCHAR* name, LONG value) {
  Property property;
  property.kind = Property::kLong;
  property.number = value;
  return Put(name, std::move(property));
}

bool HostItem::SetPropertyString(const WCHAR* name, const WCHAR* text) {
  try {
    Property property;
    property.kind = Property::kString;
    if (text) property.text = wide::FromPtr(text);
    return Put(name, std::move(property));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void HostItem::Clear() {
  kind_ = 0;
  bitrate_ = 0;
  duration_ = 0;
  size_ = 0;
  album_.reset();
  artist_.reset();
  title_.reset();
  genre_.reset();
  location_.reset();
  properties_.clear();
}

void HostItem::CopyTo(kiIPPItem* target) {
  if (!target || target == this) return;
  target->Clear();
  target->SetKind(kind_);
  target->SetBitrate(bitrate_);
  target->SetDuration(duration_);
  target->SetSize(size_);
  if (album_) target->SetAlbum(album_->c_str());
  if (artist_) target->SetArtist(artist_->c_str());
  if (title_) target->SetTitle(title_->c_str());
  if (genre_) target->SetGenre(genre_->c_str());
  if (location_) target->SetLocation(location_->c_str());
  for (const auto& [name, property] : properties_) {
    switch (property.kind) {
      case Property::kBool:
        target->SetPropertyBool(name.c_str(), property.number);
        break;
      case Property::kLong:
        target->SetPropertyLong(name.c_str(), property.number);
        break;
      case Property::kString:
        target->SetPropertyString(name.c_str(), property.text ? property.text->c_str() : nullptr);
        break;
    }
  }
}
