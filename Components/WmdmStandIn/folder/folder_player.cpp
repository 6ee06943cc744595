// A directory as a player: its device facts from the player's own file or
// from the volume it lives on, one medium whose content is the directory.
#include "folder_player.h"

#include <libudev.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "bounded_file.h"
#include "folder_store.h"
#include "model_json.h"
#include "pending_writes.h"

namespace wmdm_standin {
namespace {

// What the volume's block device says of itself, where there is one.
struct VolumeFacts {
  std::string label, vendor, model, serial;
  bool found = false;
  bool usb = false;
};

std::string Property(udev_device* device, const char* name) {
  const char* value = udev_device_get_property_value(device, name);
  std::string text = value ? value : "";
  for (char& c : text)
    if (c == '_') c = ' ';
  return text;
}

VolumeFacts ReadVolume(const std::string& directory) {
  VolumeFacts facts;
  struct stat info = {};
  if (stat(directory.c_str(), &info) != 0) return facts;
  udev* context = udev_new();
  if (!context) return facts;
  if (udev_device* device = udev_device_new_from_devnum(context, 'b', info.st_dev)) {
    facts.found = true;
    facts.label = Property(device, "ID_FS_LABEL");
    facts.vendor = Property(device, "ID_VENDOR");
    facts.model = Property(device, "ID_MODEL");
    facts.serial = Property(device, "ID_SERIAL_SHORT");
    facts.usb = Property(device, "ID_BUS") == "usb";
    udev_device_unref(device);
  }
  udev_unref(context);
  return facts;
}

std::string LastName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.empty() ? std::string("Player") : name;
}

_WAVEFORMATEX Wave(WORD tag, DWORD samplesPerSec, DWORD avgBytesPerSec, WORD bits) {
  _WAVEFORMATEX format = {};
  format.wFormatTag = tag;
  format.nChannels = 2;
  format.nSamplesPerSec = samplesPerSec;
  format.nAvgBytesPerSec = avgBytesPerSec;
  format.nBlockAlign = tag == 1 ? 4 : 1;
  format.wBitsPerSample = bits;
  return format;
}

// A device id the platform's mass-storage provider would hand out in shape,
// the same for the same folder each time.
WString CanonicalNameFor(const std::string& directory, const VolumeFacts& volume) {
  unsigned long long hash = 1469598103934665603ull;
  for (unsigned char c : directory) hash = (hash ^ c) * 1099511628211ull;
  const WString serial = volume.serial.empty() ? wide::HexUpper(hash, 16) : wide::FromUtf8(volume.serial);
  return W("\\\\?\\storage#volume#") + serial + W("#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0");
}

void VolumeDefaults(const std::string& directory, DeviceDescription* device, MediumDescription* medium) {
  const VolumeFacts volume = ReadVolume(directory);
  const std::string label = volume.label.empty() ? LastName(directory) : volume.label;
  std::string name = volume.vendor.empty() ? volume.model : volume.vendor + (volume.model.empty() ? "" : " " + volume.model);
  if (name.empty()) name = label;
  device->name = wide::FromUtf8(name);
  if (!volume.vendor.empty()) device->manufacturer = wide::FromUtf8(volume.vendor);
  device->serial.assign(volume.serial.begin(), volume.serial.end());
  device->canonicalName = CanonicalNameFor(directory, volume);
  device->powerSource = WMDM_POWER_CAP_EXTERNAL | WMDM_POWER_IS_EXTERNAL;
  device->powerPercent = 100;
  // What TagLib reads and writes is what a plain folder takes; a player's
  // own file may name fewer.
  device->waveFormats = {Wave(0x55, 44100, 16000, 0), Wave(0x161, 44100, 16000, 0), Wave(0x1, 44100, 176400, 16)};
  device->mimeTypes = {W("audio/mpeg"), W("audio/x-ms-wma"), W("audio/wav"), W("audio/flac"),
                       W("audio/ogg"),  W("audio/opus"),     W("audio/mp4")};
  device->formatsSupported =
      std::vector<DWORD>{WMDM_FORMATCODE_MP3, WMDM_FORMATCODE_WMA, WMDM_FORMATCODE_WAVE, WMDM_FORMATCODE_FLAC,
                         WMDM_FORMATCODE_OGG, WMDM_FORMATCODE_M4A, WMDM_FORMATCODE_MP4,
                         WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST};
  medium->name = wide::FromUtf8(label);
  medium->removable = volume.usb || volume.found;
}

}  // namespace

ObjectId AddFolderPlayer(PlayerModel& model, const std::string& directory, PlayerModel::Presence presence) {
  char resolved[PATH_MAX] = {};
  struct stat info = {};
  if (!realpath(directory.c_str(), resolved) || stat(resolved, &info) != 0 || !S_ISDIR(info.st_mode)) return 0;
  const std::string root = resolved;
  // The whole file system is no player (and "/" would double every separator).
  if (root == "/") return 0;

  DeviceDescription device;
  MediumDescription medium;
  VolumeDefaults(root, &device, &medium);
  std::string text;
  if (ReadRegularFile(root + "/" + kPlayerFactsFile, &text)) {
    DeviceDescription described;
    std::string error;
    // A file that does not describe a player leaves the volume's facts.
    if (ParsePlayerFacts(text, &described, &medium, &error)) {
      if (!described.canonicalName) described.canonicalName = device.canonicalName;
      // Formats it does not name are the folder's: the file narrows them or
      // leaves them.
      if (described.waveFormats.empty() && described.mimeTypes.empty()) {
        described.waveFormats = device.waveFormats;
        described.mimeTypes = device.mimeTypes;
      }
      if (!described.formatsSupported) described.formatsSupported = device.formatsSupported;
      device = described;
    }
  }

  auto store = std::make_shared<FolderStore>(root);
  auto lock = model.Lock();
  const ObjectId id = model.AddDevice(device, PlayerModel::Presence::Detached);
  const ObjectId mediumRoot = model.AddMedium(id, medium, PlayerModel::Arrival::Announced, store);
  store->Scan(model, mediumRoot);
  // A card mounted read-only (its lock switch, or `mount -o ro`) says so as a whole.
  struct statvfs volume = {};
  if (statvfs(root.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY))
    if (auto handle = model.HandleById(mediumRoot); handle.object) handle.object->attributes |= WMDM_FILE_ATTR_READONLY;
  if (presence == PlayerModel::Presence::Connected) model.ConnectDevice(id);
  return id;
}

HRESULT FlushFolderPlayers() { return FlushAllPendingWrites(); }

}  // namespace wmdm_standin
