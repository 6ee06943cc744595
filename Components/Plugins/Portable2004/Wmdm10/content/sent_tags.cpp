#include "content/sent_tags.h"

#include <algorithm>
#include <memory>

#include <unique_bstr.h>

namespace {

WString TextOf(BSTR owned) {
  UniqueBstr text;
  text.Reset(owned);  // adopted: the item hands out a copy
  return text.ToString();
}

void AddText(std::vector<SentTag>* tags, const WCHAR* name, const WString& text) {
  if (text.empty()) return;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  tags->push_back({name, WMDM_TYPE_STRING, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(WCHAR))});
}

void AddNumber(std::vector<SentTag>* tags, const WCHAR* name, LONG number) {
  if (number == 0) return;
  const DWORD value = static_cast<DWORD>(number);
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
  tags->push_back({name, WMDM_TYPE_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(value))});
}

LONG LongProperty(kiIPPItem& item, const WCHAR* name) {
  LONG value = 0;
  return item.GetPropertyLong(name, &value) ? value : 0;
}

// A metadata object holding `tags`, or null when none can be had.
ComPtr<IWMDMMetaData> MetadataOf(IWMDMStorage* folder, const std::vector<SentTag>& tags) {
  ComPtr<IWMDMStorage3> folder3;
  ComPtr<IWMDMMetaData> metadata;
  if (FAILED(ComPtr<IWMDMStorage>(folder).As(&folder3)) || FAILED(folder3->CreateEmptyMetadataObject(&metadata)))
    return nullptr;
  for (const SentTag& tag : tags) {
    // Tags only partly written would tell the player something untrue.
    if (FAILED(metadata->AddItem(tag.type, tag.name, const_cast<BYTE*>(tag.bytes.data()),
                                 static_cast<UINT>(tag.bytes.size()))))
      return nullptr;
  }
  return metadata;
}

HRESULT Insert(IWMDMStorageControl3* control, UINT mode, WString source, WString name, IWMDMMetaData* metadata,
               ComPtr<IWMDMStorage>* created) {
  created->Reset();
  return control->Insert3(mode, 0, &source[0], &name[0], nullptr, nullptr, metadata, nullptr, &*created);
}

bool IsFormatCode(const SentTag& tag) { return WString(tag.name) == g_wszWMDMFormatCode; }

// The tags the player refuses when asked about each alone, with the format
// code that every new object must carry.
std::vector<const SentTag*> RefusedTags(IWMDMStorage* folder, IWMDMStorageControl3* control, UINT mode,
                                        const WString& source, const WString& name,
                                        const std::vector<SentTag>& tags) {
  std::vector<const SentTag*> refused;
  const SentTag* formatCode = nullptr;
  for (const SentTag& tag : tags)
    if (IsFormatCode(tag)) formatCode = &tag;
  for (const SentTag& tag : tags) {
    if (&tag == formatCode) continue;
    std::vector<SentTag> alone{tag};
    if (formatCode) alone.push_back(*formatCode);
    ComPtr<IWMDMMetaData> metadata = MetadataOf(folder, alone);
    ComPtr<IWMDMStorage> none;
    if (metadata && IsTagRefusal(Insert(control, mode | WMDM_MODE_QUERY, source, name, metadata.Get(), std::addressof(none))))
      refused.push_back(&tag);
  }
  return refused;
}

}  // namespace

DWORD FormatCodeOf(const WString& sourcePath) {
  if (sourcePath.find(W(".mp3")) != WString::npos) return WMDM_FORMATCODE_MP3;
  if (sourcePath.find(W(".wav")) != WString::npos) return WMDM_FORMATCODE_WAVE;
  return WMDM_FORMATCODE_WMA;
}

std::vector<SentTag> TagsOfItem(kiIPPItem& item, const WString& sourcePath) {
  std::vector<SentTag> tags;
  const WString artist = TextOf(item.GetArtist());
  AddText(&tags, g_wszWMDMAlbumTitle, TextOf(item.GetAlbum()));
  AddText(&tags, g_wszWMDMAlbumArtist, artist);
  AddText(&tags, g_wszWMDMAuthor, artist);
  AddText(&tags, g_wszWMDMGenre, TextOf(item.GetGenre()));
  AddText(&tags, g_wszWMDMTitle, TextOf(item.GetTitle()));
  AddNumber(&tags, g_wszWMDMBitrate, item.GetBitrate());
  AddNumber(&tags, g_wszWMDMTrack, LongProperty(item, W("ItemTrackNumber")));
  AddNumber(&tags, g_wszWMDMUserRating, LongProperty(item, W("ItemTrackRanking")));
  const DWORD code = FormatCodeOf(sourcePath);
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&code);
  tags.push_back({g_wszWMDMFormatCode, WMDM_TYPE_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(code))});
  return tags;
}

bool IsTagRefusal(HRESULT hr) {
  return hr == MTP_E_PROPERTY_NOT_SUPPORTED || hr == MTP_E_PROPERTY_VALUE_NOT_SUPPORTED || hr == WMDM_E_INVALIDTYPE;
}

HRESULT InsertWithTags(IWMDMStorage* folder, IWMDMStorageControl3* control, UINT mode, const WString& source,
                       const WString& name, const std::vector<SentTag>& tags, ComPtr<IWMDMStorage>* created,
                       std::vector<WString>* leftOut) {
  leftOut->clear();
  const ComPtr<IWMDMMetaData> metadata = MetadataOf(folder, tags);
  const HRESULT sent = Insert(control, mode, source, name, metadata.Get(), created);
  if (!metadata || !IsTagRefusal(sent)) return sent;
  std::vector<const SentTag*> refused = RefusedTags(folder, control, mode, source, name, tags);
  std::vector<SentTag> kept;
  for (const SentTag& tag : tags) {
    // A player that would not say which it refuses keeps the format code alone.
    const bool out =
        refused.empty() ? !IsFormatCode(tag) : std::find(refused.begin(), refused.end(), &tag) != refused.end();
    if (out)
      leftOut->push_back(tag.name);
    else
      kept.push_back(tag);
  }
  const ComPtr<IWMDMMetaData> fewer = MetadataOf(folder, kept);
  return Insert(control, mode, source, name, fewer.Get(), created);
}
