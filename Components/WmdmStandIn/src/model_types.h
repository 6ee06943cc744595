// The in-memory players behind the stand-in: devices, their media and the
// folders, files and playlists stored on them. Everything here is guarded by
// the owning PlayerModel's lock.
#pragma once

#include <mswmdm.h>

#include <memory>
#include <optional>
#include <vector>

#include <wide_text.h>

#include "child_list.h"

namespace wmdm_standin {

// Every device, medium and stored object of a model has an id of its own;
// tests use it to aim faults and to inspect results. 0 is no object.
using ObjectId = unsigned long long;

// One metadata tag as IWMDMMetaData carries it: the value's bytes as the
// platform lays them out (strings as UTF-16 with their terminator).
struct ModelTag {
  WString name;
  WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
  std::vector<BYTE> value;

  static ModelTag String(const WString& name, const WString& text);
  static ModelTag Dword(const WString& name, DWORD value);
  static ModelTag Qword(const WString& name, ULONGLONG value);
  static ModelTag Word(const WString& name, WORD value);
  static ModelTag Bool(const WString& name, bool value);
  static ModelTag Guid(const WString& name, const GUID& value);
  static ModelTag Date(const WString& name, const WMDMDATETIME& value);
  static ModelTag Binary(const WString& name, std::vector<BYTE> bytes);

  // Readers for tests; false when the type does not match.
  bool AsString(WString* text) const;
  bool AsDword(DWORD* number) const;
};

struct ModelMedium;
struct ModelDevice;
class ContentStore;

// What a stored object is, apart from its place in the tree: kept by the
// model, and copied out whole for tests to check.
struct ObjectFields {
  ObjectId id = 0;
  WString name;
  DWORD attributes = 0;
  ULONGLONG size = 0;
  // Content copied in by Insert; a described file may declare a size and
  // carry no bytes.
  std::vector<BYTE> bytes;
  _WAVEFORMATEX format = {};
  std::vector<ModelTag> tags;
};

// A folder, file or playlist, or the root storage of a medium.
struct ModelObject : ObjectFields {
  WMDMDATETIME date = {};
  ChildList children;
  // Playlist entries, in order. A target that is deleted stays listed here
  // and is passed over when the references are read.
  std::vector<std::weak_ptr<ModelObject>> references;
  std::weak_ptr<ModelObject> parent;
  ModelMedium* medium = nullptr;
  bool deleted = false;
  // A medium's root holds folders and files like a folder, but is reported
  // as the medium itself, without the folder bit.
  bool isRoot = false;
  // Raised when the object is renamed (or a folder above it is): interfaces
  // handed out before then are dead.
  unsigned generation = 0;
  // Tags, and the audio format, are read from the medium's store when first
  // asked for. The format alone is far cheaper to read than the tags (a
  // listing asks every file for it), so it has its own mark.
  bool detailsPending = false;
  bool formatPending = false;

  bool IsFolder() const { return isRoot || (attributes & WMDM_FILE_ATTR_FOLDER) != 0; }
  const ModelTag* FindTag(const WString& tagName) const;
};

struct MediumDescription {
  WString name;
  DWORD status = WMDM_STATUS_READY;
  DWORD capabilities = WMDM_STORAGECAP_FOLDERSINROOT | WMDM_STORAGECAP_FILESINROOT |
                       WMDM_STORAGECAP_FOLDERSINFOLDERS | WMDM_STORAGECAP_FILESINFOLDERS;
  ULONGLONG totalSize = 0;
  bool removable = false;
  std::vector<BYTE> serial;  // none: GetSerialNumber is not supported
};

struct ModelMedium : std::enable_shared_from_this<ModelMedium> {
  ObjectId id = 0;  // the id of its root storage
  MediumDescription description;
  std::shared_ptr<ModelObject> root;
  ModelDevice* device = nullptr;
  bool present = true;
  // Shown when the device's storages are enumerated. A medium that arrived
  // without a message (a card slipped in) waits for the manager's
  // Reinitialize, as on the platform.
  bool listed = true;
  // Where the content lives; never null once the medium is in a model.
  std::shared_ptr<ContentStore> store;

  // The space the tree's files take, counted in the tree.
  ULONGLONG UsedSpace() const;
  ULONGLONG TotalSize() const;
  ULONGLONG FreeSpace() const;
};

// Which provider answers for a player (see personality.h).
enum class Personality { MassStorage, Mtp };

struct DeviceDescription {
  WString name;
  Personality personality = Personality::MassStorage;
  std::optional<WString> manufacturer;
  std::optional<DWORD> version;
  DWORD type = WMDM_DEVICE_TYPE_PLAYBACK | WMDM_DEVICE_TYPE_STORAGE | WMDM_DEVICE_TYPE_NONSDMI;
  DWORD status = WMDM_STATUS_READY;
  DWORD vendorId = 0;
  std::vector<BYTE> serial;  // empty: GetSerialNumber is not supported
  // None: GetCanonicalName is not supported. The stand-in still knows the
  // device by a name of its own for notifications and lookups.
  std::optional<WString> canonicalName;
  ULONG icon = 0;
  DWORD powerSource = WMDM_POWER_CAP_BATTERY | WMDM_POWER_IS_BATTERY | WMDM_POWER_PERCENT_AVAILABLE;
  DWORD powerPercent = 100;
  std::vector<_WAVEFORMATEX> waveFormats;
  std::vector<WString> mimeTypes;
  // None: the device has no "WMDM/FormatsSupported" property.
  std::optional<std::vector<DWORD>> formatsSupported;
  // None: every tag is kept. Otherwise the tags an MTP player keeps besides
  // "WMDM/FormatCode"; it refuses any other on a new object or an edit.
  std::optional<std::vector<WString>> tagsSupported;
  // A mass-storage provider that answers for an object deleted or renamed
  // away with the Win32 codes providers are told to give for storage errors
  // (file or path not found) rather than WMDM_E_INTERFACEDEAD.
  bool staleAsFileErrors = false;
  // A provider may ignore SetDeviceEnumPreference and show each medium of a
  // device with several as a device of its own (MTP's may).
  bool storagesAsDevices = false;
};

struct ModelDevice : std::enable_shared_from_this<ModelDevice> {
  ObjectId id = 0;
  DeviceDescription description;
  WString knownName;  // the canonical name, or the stand-in's own
  std::vector<std::shared_ptr<ModelMedium>> media;
  bool present = false;
};

// What a described file holds.
struct FileDescription {
  WString name;
  ULONGLONG size = 0;
  std::vector<BYTE> bytes;  // when given, its length is the size
  _WAVEFORMATEX format = {};
  WMDMDATETIME date = {};
  std::vector<ModelTag> tags;
  // 0: the usual attributes of a file of its kind (see DefaultFileAttributes).
  DWORD attributes = 0;
  // Tags and format left for the medium's store to read when first asked for.
  bool detailsPending = false;
  bool formatPending = false;
};

// The attributes a player reports for a file it holds: a file that may be
// read, played, moved, renamed and deleted, marked as audio when its name ends
// in an audio extension.
DWORD DefaultFileAttributes(const WString& name);
DWORD DefaultFolderAttributes();
// A mass-storage medium's root: the top-level storage (file system), with
// folders, removable or not. No folder bit (it is the medium, not a folder
// on it), no default-storage bits and no in-place metadata editing, which
// belong to players that describe their storages themselves.
DWORD DefaultMediumAttributes(bool removable);

}  // namespace wmdm_standin
