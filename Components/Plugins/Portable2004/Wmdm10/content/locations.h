// How the host names what is on a device, as text. A media location names one
// medium ("WMDM10", the escaped device identity, "___", the escaped medium
// name); a device path names a storage inside it ("\Music\a.wma", names as
// WMDM reports them); a host path is a device path seen from the device's
// root prefix (its alternate root, or nothing); a playlist entry identifier
// is the playlist's host path, "|" and the track's host path.
//
// These are the text rules alone. The root prefix is an argument: finding
// and checking a device's prefix needs the resolver, which hands its answer
// to these functions.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include <wide_text.h>

#include "core/device_record.h"
#include "host_sdk/ki_ipp_item.h"

// What an item record stands for; 0 as an input asks for the storage to be
// classified.
enum ItemKind : LONG {
  KindClassify = 0,
  KindFolder = 1,
  KindPlaylist = 3,
  KindFile = 4,
};

namespace locations {

// The pieces of a media location.
struct MediaLocationParts {
  WString devicePart;         // the escaped identity, compared exactly
  size_t separatorIndex = 0;  // where the first "___" starts
  WString mediumName;         // unescaped, so in lower case
};

// True when the text starts with the prefix every media location has
// (case-sensitive).
bool HasMediaPrefix(const WString& location);

// Splits a media location at its first "___"; false when the prefix or the
// separator is missing. `parts` may be null.
bool ParseMediaLocation(const WString& location, MediaLocationParts* parts);

// The media location of a medium named `mediumName` on the device whose
// identity is `identity`.
WString ComposeMediaLocation(const WString& identity, const WString& mediumName);

// The number (1-based) of the first device in `list` that `location` names,
// skipping devices that are gone or whose identity is unknown; 0 for none.
// `separatorIndex`, when given, receives the position of the "___".
LONG FindDeviceByLocation(const WString& location, const std::vector<std::unique_ptr<DeviceRecord>>& list,
                          size_t* separatorIndex = nullptr);

// The key a resolved storage is cached under: the location, "\" and the
// device path (one "\" between them; "" and "\" give the same key).
WString StorageKey(const WString& location, const WString& devicePath);

// StorageKey(location, JoinPath(parentPath, name)) built in `key`, whatever
// it held before; `pathStart` receives where the child's device path starts
// in it.
void ChildKey(const WString& location, const WString& parentPath, std::basic_string_view<WCHAR> name, WString* key,
              size_t* pathStart);
// The parent of a device path; `name`, when given, receives its last
// component. A path with no "\" past its first unit has the root "\" as
// parent.
WString SplitPath(const WString& path, WString* name = nullptr);

// A child's path: the parent, "\" unless the parent already ends in one, and
// the name.
WString JoinPath(const WString& parentPath, std::basic_string_view<WCHAR> name);

// The names along a device path, from the medium down; empty components
// ("\\") are skipped.
std::vector<WString> PathComponents(const WString& path);
// The device path of the folder that holds the last component of `path`:
// the components before it, each after one "\" ("\" when there are none),
// so that '\Music\\a.mp3' and '\Music\a.mp3\' both give '\Music'.
WString ParentPath(const WString& path);

// True when `path` is exactly what JoinPath(ParentPath(path), name) gives:
// it starts with "\", has no empty component and no trailing "\", and its
// last component is `name`, which holds no "\".
bool IsChildPath(std::basic_string_view<WCHAR> path, std::basic_string_view<WCHAR> name);
// True when JoinPath(folderPath, name) is a child path (IsChildPath) for
// every name that is not empty and holds no "\": the folder path is empty
// or starts with "\", and has no empty component. A listing asks once for
// its folder instead of once per child.
bool IsJoinableFolderPath(std::basic_string_view<WCHAR> folderPath);
// A host path seen from the device: the root prefix in front. The empty
// host path is the prefix itself.
WString ToDevicePath(const WString& rootPrefix, const WString& hostPath);

// A device path seen from the host: the root prefix cut off its front when
// the path lies under it; any other path is returned unchanged.
WString ToHostPath(const WString& rootPrefix, const WString& devicePath);
// Where in `devicePath` the host path ToHostPath gives starts.
size_t HostPathStart(const WString& rootPrefix, std::basic_string_view<WCHAR> devicePath);

// Splits a playlist entry identifier at its first "|" into the playlist's
// and the track's device paths; false (outputs untouched) when there is no
// "|". Either output may be null.
bool SplitEntryId(const WString& rootPrefix, const WString& id, WString* playlistPath, WString* trackPath);

// Turns the item's location (a track's host path) into the identifier of
// that track as an entry of the playlist at `playlistDevicePath`.
HRESULT MakeEntryId(const WString& rootPrefix, const WString& playlistDevicePath, kiIPPItem* item);

}  // namespace locations
