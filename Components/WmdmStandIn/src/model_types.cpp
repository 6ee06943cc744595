#include "model_types.h"

#include <cstring>

#include "content_store.h"

namespace wmdm_standin {
namespace {

template <typename T>
ModelTag Fixed(const WString& name, WMDM_TAG_DATATYPE type, const T& value) {
  ModelTag tag{name, type, std::vector<BYTE>(sizeof(T))};
  std::memcpy(tag.value.data(), &value, sizeof(T));
  return tag;
}

bool EndsWithIgnoreCase(const WString& text, const WString& suffix) {
  return text.size() >= suffix.size() &&
         wide::EqualsIgnoreCaseAscii(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

ModelTag ModelTag::String(const WString& name, const WString& text) {
  ModelTag tag{name, WMDM_TYPE_STRING, std::vector<BYTE>((text.size() + 1) * sizeof(WCHAR))};
  std::memcpy(tag.value.data(), text.c_str(), tag.value.size());
  return tag;
}

ModelTag ModelTag::Dword(const WString& name, DWORD value) { return Fixed(name, WMDM_TYPE_DWORD, value); }
ModelTag ModelTag::Qword(const WString& name, ULONGLONG value) { return Fixed(name, WMDM_TYPE_QWORD, value); }
ModelTag ModelTag::Word(const WString& name, WORD value) { return Fixed(name, WMDM_TYPE_WORD, value); }
ModelTag ModelTag::Bool(const WString& name, bool value) {
  return Fixed(name, WMDM_TYPE_BOOL, static_cast<BOOL>(value ? TRUE : FALSE));
}
ModelTag ModelTag::Guid(const WString& name, const GUID& value) { return Fixed(name, WMDM_TYPE_GUID, value); }
ModelTag ModelTag::Date(const WString& name, const WMDMDATETIME& value) { return Fixed(name, WMDM_TYPE_DATE, value); }
ModelTag ModelTag::Binary(const WString& name, std::vector<BYTE> bytes) {
  return ModelTag{name, WMDM_TYPE_BINARY, std::move(bytes)};
}

bool ModelTag::AsString(WString* text) const {
  if (type != WMDM_TYPE_STRING || value.size() % sizeof(WCHAR) != 0) return false;
  WString result(value.size() / sizeof(WCHAR), 0);
  std::memcpy(&result[0], value.data(), value.size());
  while (!result.empty() && result.back() == 0) result.pop_back();
  *text = result;
  return true;
}

bool ModelTag::AsDword(DWORD* number) const {
  if (type != WMDM_TYPE_DWORD || value.size() != sizeof(DWORD)) return false;
  std::memcpy(number, value.data(), sizeof(DWORD));
  return true;
}

const ModelTag* ModelObject::FindTag(const WString& tagName) const {
  for (const ModelTag& tag : tags)
    if (tag.name == tagName) return &tag;
  return nullptr;
}

static ULONGLONG SizeBelow(const ModelObject& object) {
  ULONGLONG total = object.IsFolder() ? 0 : object.size;
  for (const auto& child : object.children) total += SizeBelow(*child);
  return total;
}

ULONGLONG ModelMedium::UsedSpace() const { return root ? SizeBelow(*root) : 0; }

ULONGLONG ModelMedium::TotalSize() const { return store->TotalSize(*this); }

ULONGLONG ModelMedium::FreeSpace() const { return store->FreeSpace(*this); }

DWORD DefaultFileAttributes(const WString& name) {
  DWORD attributes = WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_CANREAD | WMDM_FILE_ATTR_CANDELETE |
                     WMDM_FILE_ATTR_CANRENAME | WMDM_FILE_ATTR_CANMOVE;
  for (const WString& extension : {WString(W(".mp3")), WString(W(".wma")), WString(W(".wav"))}) {
    if (EndsWithIgnoreCase(name, extension))
      attributes |= WMDM_FILE_ATTR_AUDIO | WMDM_FILE_ATTR_MUSIC | WMDM_FILE_ATTR_CANPLAY;
  }
  return attributes;
}

DWORD DefaultFolderAttributes() {
  return WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_CANDELETE | WMDM_FILE_ATTR_CANRENAME | WMDM_FILE_ATTR_CANMOVE |
         WMDM_FILE_ATTR_CANREAD;
}

DWORD DefaultMediumAttributes(bool removable) {
  return WMDM_STORAGE_ATTR_FILESYSTEM | WMDM_STORAGE_ATTR_FOLDERS |
         (removable ? WMDM_STORAGE_ATTR_REMOVABLE : WMDM_STORAGE_ATTR_NONREMOVABLE);
}

}  // namespace wmdm_standin
