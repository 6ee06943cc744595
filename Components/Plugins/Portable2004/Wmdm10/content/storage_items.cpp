#include "content/storage_items.h"

#include <cstring>
#include <limits>

#include "content/locations.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include <result_macros.h>
#include <unique_task_mem.h>

namespace {

constexpr UINT kNameChars = 259;

bool IsPlaylistFile(const ComPtr<IWMDMStorage>& storage) {
  ComPtr<IWMDMStorage4> storage4;
  if (FAILED(storage.As(&storage4)) || !storage4) return false;
  ComPtr<IWMDMMetaData> metadata;
  if (FAILED(storage4->GetMetadata(&metadata)) || !metadata) return false;
  WMDM_TAG_DATATYPE type = WMDM_TYPE_STRING;
  UniqueTaskMem<BYTE> value;
  UINT length = 0;
  if (FAILED(metadata->QueryByName(g_wszWMDMFormatCode, &type, value.Put(), &length))) return false;
  if (type != WMDM_TYPE_DWORD || !value || length < sizeof(DWORD)) return false;
  DWORD formatCode = 0;
  std::memcpy(&formatCode, value.Get(), sizeof(formatCode));
  return formatCode == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST;
}

// Numbers the host sees as 32-bit signed values: larger ones are capped
// rather than wrapped into negative play times.
LONG CappedLong(ULONGLONG value) {
  constexpr auto kMax = static_cast<ULONGLONG>(std::numeric_limits<LONG>::max());
  return static_cast<LONG>(value > kMax ? kMax : value);
}

// Fills in a new record from what WMDM says of the storage.
HRESULT FillItem(const WString& rootPrefix, DeviceRecord& device, IWMDMStorage* storage,
                 std::basic_string_view<WCHAR> devicePath, LONG kind, StorageFacts& facts, kcIPPItem& built) {
  built.SetKind(kind);

  // The location is the host path, read in place from the device path.
  const size_t hostStart = locations::HostPathStart(rootPrefix, devicePath);
  const std::basic_string_view<WCHAR> hostPath = devicePath.substr(hostStart);
  RETURN_HR_IF(E_OUTOFMEMORY, !built.SetLocationText(hostPath) || !built.SetTitleText(facts.name));

  DWORD low = 0;
  DWORD high = 0;
  const HRESULT sized = storage->GetSize(&low, &high);
  // A dead interface means the device went away under us.
  RETURN_HR_IF(IPP_E_NOTFOUND, IsStaleObject(sized));
  if (SUCCEEDED(sized)) built.SetSize((static_cast<ULONGLONG>(high) << 32) | low);

  ReadStorageAttributes(storage, &facts);
  if (facts.attributesRead) {
    const DWORD attributes = facts.attributes;
    const _WAVEFORMATEX& format = facts.format;
    if (format.nSamplesPerSec > 0) {
      const ULONGLONG bitrate = static_cast<ULONGLONG>(format.wBitsPerSample) * format.nSamplesPerSec;
      built.SetBitrate(CappedLong(bitrate));
      // No byte rate, no play time: the duration stays 0.
      const ULONGLONG byteRate = bitrate / 8;
      if (byteRate > 0) built.SetDuration(CappedLong(built.GetSize() * 1000 / byteRate));
    }
    built.SetKnownBool(kcIPPItem::kItemDeletable, (attributes & WMDM_FILE_ATTR_CANDELETE) ? 1 : 0);
  }
  // Renaming a file on a device that keeps playlists would break the
  // playlists that refer to it by name.
  if (kind == KindFile && DeviceKeepsPlaylists(device))
    built.SetKnownBool(kcIPPItem::kItemRenamable, 0);
  else if (facts.attributesRead)
    built.SetKnownBool(kcIPPItem::kItemRenamable, (facts.attributes & WMDM_FILE_ATTR_CANRENAME) ? 1 : 0);
  return S_OK;
}

}  // namespace

bool DeviceKeepsPlaylists(DeviceRecord& record) {
  if (record.settings && record.settings->SupportsPlaylists != -1)
    record.playlistFormatSupported = record.settings->SupportsPlaylists == 1;
  return record.playlistFormatSupported;
}

HRESULT ReadStorageName(IWMDMStorage* storage, StorageFacts* facts) {
  if (facts->named) return S_OK;
  // Read in place: the name serves the path, the key and the title, each of
  // which copies what it keeps.
  static_assert(sizeof(facts->nameText) / sizeof(WCHAR) == kNameChars + 1, "room for the name");
  WCHAR* name = facts->nameText;
  // GetName terminates what it writes. Only the ends are cleared: a storage
  // that writes nothing reads as unnamed, and the last unit, which GetName
  // is not given, bounds the text whatever it writes. Clearing the whole
  // buffer cost more than the rest of this function.
  name[0] = 0;
  name[kNameChars] = 0;
  RETURN_IF_FAILED(storage->GetName(name, kNameChars));
  // Measured and searched for "\" in one pass.
  size_t length = 0;
  bool separator = false;
  for (; name[length]; ++length) separator = separator || name[length] == W('\\');
  facts->name = std::basic_string_view<WCHAR>(name, length);
  facts->nameHoldsSeparator = separator;
  facts->named = true;
  return S_OK;
}

void ReadStorageAttributes(IWMDMStorage* storage, StorageFacts* facts) {
  if (facts->attributesAsked) return;
  facts->attributesAsked = true;
  facts->attributesRead = SUCCEEDED(storage->GetAttributes(&facts->attributes, &facts->format));
}

bool ClassifyStorage(DeviceRecord& device, const ComPtr<IWMDMStorage>& storage, LONG* kind, StorageFacts* facts) {
  if (!storage) return false;
  StorageFacts local;
  if (!facts) facts = &local;
  ReadStorageAttributes(storage.Get(), facts);
  LONG found = KindFile;
  if (facts->attributesRead) {
    const DWORD attributes = facts->attributes;
    if (attributes & WMDM_FILE_ATTR_HIDDEN) return false;
    if ((attributes & WMDM_FILE_ATTR_SYSTEM) && !(device.settings && device.settings->ShowSystemFiles == 1))
      return false;
    if (attributes & WMDM_FILE_ATTR_FILE) {
      // Reading the format code costs a metadata call: only when asked.
      if (kind && DeviceKeepsPlaylists(device) && IsPlaylistFile(storage)) found = KindPlaylist;
    } else if (attributes & WMDM_FILE_ATTR_FOLDER) {
      found = KindFolder;
    } else {
      return false;
    }
  }
  if (kind) *kind = found;
  return true;
}

HRESULT BuildItem(const WString& rootPrefix, DeviceRecord* device, const ComPtr<IWMDMStorage>& storage,
                  const WString& parentPath, LONG kind, HeldItem* item, StorageFacts* facts) {
  RETURN_HR_IF(IPP_E_FAIL, !device || !storage || !item);
  item->reset();
  StorageFacts local;
  if (!facts) facts = &local;
  RETURN_IF_FAILED(ReadStorageName(storage.Get(), facts));
  return BuildItemAt(rootPrefix, device, storage, locations::JoinPath(parentPath, facts->name), kind,
                     item, facts);
}

HRESULT BuildItemAt(const WString& rootPrefix, DeviceRecord* device, const ComPtr<IWMDMStorage>& storage,
                    std::basic_string_view<WCHAR> devicePath, LONG kind, HeldItem* item, StorageFacts* facts) {
  RETURN_HR_IF(IPP_E_FAIL, !device || !storage || !item || !facts);
  item->reset();
  RETURN_IF_FAILED(ReadStorageName(storage.Get(), facts));
  const HRESULT filled = FillItem(rootPrefix, *device, storage.Get(), devicePath, kind, *facts, item->Emplace());
  if (FAILED(filled)) item->reset();
  return filled;
}
