// An item's title, album, artist, genre, track number, bitrate and play time
// from the storage's WMDM tags.
#include <cstring>
#include <limits>

#include "content/locations.h"
#include "content/storage_resolver.h"
#include "host_sdk/ipp_result_codes.h"
#include <result_macros.h>
#include <unique_task_mem.h>

namespace {

const WCHAR kTrackNumber[] = W("ItemTrackNumber");

// One tag as QueryByIndex hands it out; both blocks belong to the caller.
struct Tag {
  UniqueTaskMem<WCHAR> name;
  WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
  UniqueTaskMem<BYTE> value;
  UINT length = 0;

  bool Is(const WCHAR* tagName) const { return name && wide::FromPtr(name.Get()) == tagName; }
  // The text of a string tag, without its terminator; empty for other types.
  WString Text() const {
    if (type != WMDM_TYPE_STRING || !value) return WString();
    WString text(length / sizeof(WCHAR), W('\0'));
    if (!text.empty()) std::memcpy(&text[0], value.Get(), text.size() * sizeof(WCHAR));
    const size_t end = text.find(W('\0'));
    if (end != WString::npos) text.resize(end);
    return text;
  }
  bool Dword(DWORD* number) const {
    if (type != WMDM_TYPE_DWORD || length != sizeof(DWORD) || !value) return false;
    std::memcpy(number, value.Get(), sizeof(DWORD));
    return true;
  }
  bool Qword(ULONGLONG* number) const {
    if (type != WMDM_TYPE_QWORD || length != sizeof(ULONGLONG) || !value) return false;
    std::memcpy(number, value.Get(), sizeof(ULONGLONG));
    return true;
  }
};

// Players write these where a tag is unknown; they are not names to show.
bool IsPlaceholder(const WString& text, const WCHAR* placeholder) {
  return wide::LowerAscii(text) == placeholder;
}

// The leading decimal number of a text, as "7" or " 7/12"; 0 when there is
// none.
LONG LeadingNumber(const WString& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == W(' ') || text[i] == W('\t'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == W('+') || text[i] == W('-'))) negative = text[i++] == W('-');
  long long number = 0;
  for (; i < text.size() && text[i] >= W('0') && text[i] <= W('9'); ++i) {
    number = number * 10 + (text[i] - W('0'));
    if (number > std::numeric_limits<LONG>::max()) return negative ? 0 : std::numeric_limits<LONG>::max();
  }
  return static_cast<LONG>(negative ? -number : number);
}

LONG CappedLong(ULONGLONG value) {
  constexpr auto kMax = static_cast<ULONGLONG>(std::numeric_limits<LONG>::max());
  return static_cast<LONG>(value > kMax ? kMax : value);
}

void ApplyTag(const Tag& tag, kcIPPItem& item) {
  const WString text = tag.Text();
  if (!text.empty()) {
    if (tag.Is(g_wszWMDMTitle)) {
      if (!IsPlaceholder(text, W("no track found"))) item.SetTitle(text.c_str());
    } else if (tag.Is(g_wszWMDMAlbumTitle)) {
      if (!IsPlaceholder(text, W("no album found"))) item.SetAlbum(text.c_str());
    } else if (tag.Is(g_wszWMDMAlbumArtist) || tag.Is(g_wszWMDMAuthor)) {
      if (!IsPlaceholder(text, W("no artist found"))) item.SetArtist(text.c_str());
    } else if (tag.Is(g_wszWMDMGenre)) {
      if (!IsPlaceholder(text, W("no genre found"))) item.SetGenre(text.c_str());
    } else if (tag.Is(g_wszWMDMTrack)) {
      const LONG track = LeadingNumber(text);
      if (track > 0) item.SetPropertyLong(kTrackNumber, track);
    }
    return;
  }
  DWORD number = 0;
  ULONGLONG ticks = 0;
  if (tag.Is(g_wszWMDMBitrate) && tag.Dword(&number)) {
    item.SetBitrate(static_cast<LONG>(number));
  } else if (tag.Is(g_wszWMDMTrack) && tag.Dword(&number)) {
    item.SetPropertyLong(kTrackNumber, static_cast<LONG>(number));
  } else if (tag.Is(g_wszWMDMDuration) && tag.Qword(&ticks)) {
    item.SetDuration(CappedLong(ticks / 1000));
  }
}

}  // namespace

HRESULT ReadTags(StorageNode* node) {
  RETURN_HR_IF(IPP_E_FAIL, !node);
  if (!node->metadataPending) return S_OK;
  RETURN_HR_IF(IPP_E_FAIL, !node->storage || !node->item);
  node->metadataPending = false;
  if (node->item->GetKind() != KindFile) return S_OK;

  ComPtr<IWMDMStorage3> storage3;
  RETURN_IF_FAILED(node->storage.As(&storage3));
  ComPtr<IWMDMMetaData> metadata;
  RETURN_IF_FAILED(storage3->GetMetadata(&metadata));
  RETURN_HR_IF(E_UNEXPECTED, !metadata);
  for (UINT index = 0;; ++index) {
    Tag tag;
    if (FAILED(metadata->QueryByIndex(index, tag.name.Put(), &tag.type, tag.value.Put(), &tag.length))) break;
    ApplyTag(tag, *node->item);
  }
  return S_OK;
}
