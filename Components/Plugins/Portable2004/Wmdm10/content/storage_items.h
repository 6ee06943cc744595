// What a WMDM storage is to the host: shown or not, a folder, a file or a
// playlist, and the item record that describes it.
#pragma once

#include <windows.h>

#include <string_view>

#include <wide_text.h>

#include "content/kc_ipp_item.h"
#include "content/storage_node.h"
#include "core/device_record.h"
#include <com_ptr.h>
#include <mswmdm.h>

// What WMDM said about one storage, read once and shared by the steps that
// need it: a listing names each child to filter it, classifies it and then
// builds its record, and each of those would otherwise ask again.
struct StorageFacts {
  StorageFacts() = default;
  StorageFacts(const StorageFacts&) = delete;  // `name` points into the facts
  StorageFacts& operator=(const StorageFacts&) = delete;

  bool named = false;  // `name` holds the storage's name
  std::basic_string_view<WCHAR> name;  // in `nameText`
  bool nameHoldsSeparator = false;     // a "\" in `name`: it is no single component
  WCHAR nameText[260];
  bool attributesAsked = false;  // GetAttributes was called; `attributesRead` when it answered
  bool attributesRead = false;
  DWORD attributes = 0;
  _WAVEFORMATEX format = {};
};

// Fills in the storage's name unless `facts` has it: the GetName result.
HRESULT ReadStorageName(IWMDMStorage* storage, StorageFacts* facts);
// Asks for the attributes and format unless `facts` already asked.
void ReadStorageAttributes(IWMDMStorage* storage, StorageFacts* facts);

// Whether the device keeps playlists: the manifest's word when it says,
// which then also becomes the record's flag; otherwise what the device
// reported.
bool DeviceKeepsPlaylists(DeviceRecord& record);

// False when the storage is not to be shown (hidden; system, unless the
// device's settings show system files; neither file nor folder). Otherwise
// true, with the storage's ItemKind in `kind` when one is asked for: a file
// is a playlist when the device keeps playlists and its format code says so.
// `facts`, when given, supplies and keeps the attributes.
bool ClassifyStorage(DeviceRecord& device, const ComPtr<IWMDMStorage>& storage, LONG* kind,
                     StorageFacts* facts = nullptr);

// A new item record for `storage`, a child of the folder at `parentPath`
// (a device path), of the given kind, made in `item` in place of any record
// it held; `item` is left empty on failure. Its location is the host path
// under `rootPrefix`, its title the storage's name; size, bitrate, duration
// and the deletable and renamable marks come from WMDM. IPP_E_FAIL without a
// device, storage or record holder; IPP_E_NOTFOUND when the storage's
// interface is dead; the WMDM result when the name cannot be read. What
// `facts` already holds is not asked for again.
HRESULT BuildItem(const WString& rootPrefix, DeviceRecord* device, const ComPtr<IWMDMStorage>& storage,
                  const WString& parentPath, LONG kind, HeldItem* item, StorageFacts* facts = nullptr);
// BuildItem for a storage whose device path is at hand: `devicePath` is its
// folder's path joined with the name in `facts` (which must hold it).
HRESULT BuildItemAt(const WString& rootPrefix, DeviceRecord* device, const ComPtr<IWMDMStorage>& storage,
                    std::basic_string_view<WCHAR> devicePath, LONG kind, HeldItem* item, StorageFacts* facts);
