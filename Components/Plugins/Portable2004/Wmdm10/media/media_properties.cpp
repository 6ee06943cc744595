// The media property getters. A medium's answers live in the caches of the
// node of its root storage; the space left and used are read afresh each
// time, everything else once.
#include <result_macros.h>

#include "base/device_text.h"
#include "content/storage_items.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include "media/media_control.h"

namespace {

// What the table says about one name: not one of the getter's, an answer
// kept in the cache (failures included, with their default), or one worked
// out on every call.
enum class Answer { Unknown, Cached, Fresh };

struct Computed {
  Answer answer = Answer::Unknown;
  HRESULT result = S_OK;
};

// The medium's globals, fetched anew on every use: the platform may hand out
// a new object after the medium changed.
// `globals` is emptied by the caller's holder.
HRESULT MediumGlobals(IWMDMStorage* storage, IWMDMStorageGlobals** globals) {
  RETURN_IF_FAILED(storage->GetStorageGlobals(globals));
  return *globals ? S_OK : E_FAIL;
}

HRESULT Capabilities(IWMDMStorage* storage, DWORD* capabilities) {
  ComPtr<IWMDMStorageGlobals> globals;
  RETURN_IF_FAILED(MediumGlobals(storage, &globals));
  return globals->GetCapabilities(capabilities);
}

// A setting's word when it has one, else the capability bit. A failure to
// read the capabilities leaves the answer false.
HRESULT SettingOrCapability(LONG setting, IWMDMStorage* storage, DWORD bit, bool whenSet, bool* value) {
  if (setting != -1) {
    *value = setting == 1;
    return S_OK;
  }
  DWORD capabilities = 0;
  const HRESULT hr = Capabilities(storage, &capabilities);
  if (SUCCEEDED(hr)) *value = ((capabilities & bit) != 0) == whenSet;
  return hr;
}

// Music may be bought for the medium only when the device can prove who it
// is and says it speaks one of the two rights schemes.
HRESULT DownloadableForSdmi(IWMDMDevice* device, bool* value) {
  WMDMID serial = {};
  serial.cbSize = sizeof(serial);
  BYTE mac[WMDM_MAC_LENGTH] = {};
  if (FAILED(device->GetSerialNumber(&serial, mac))) return E_FAIL;
  DWORD type = 0;
  RETURN_IF_FAILED(device->GetType(&type));
  *value = (type & (WMDM_DEVICE_TYPE_SDMI | WMDM_DEVICE_TYPE_NONSDMI)) != 0;
  return S_OK;
}

Computed BoolValue(DeviceRecord& record, StorageNode& node, const WString& name, bool* value) {
  const kcDeviceSettings unset;
  const kcDeviceSettings& settings = record.settings ? *record.settings : unset;
  IWMDMStorage* storage = node.storage.Get();
  Computed computed{Answer::Cached, S_OK};
  *value = false;
  if (name == W("MediaDownloadableForSDMI")) {
    computed.result = DownloadableForSdmi(node.device.Get(), value);
  } else if (name == W("MediaCanBeCopySource") || name == W("MediaCanBeDirectlyPlayed") ||
             name == W("MediaSupportsMediaRebuild") || name == W("DevSupportsMediaErase")) {
    *value = false;
  } else if (name == W("MediaIsReadOnly")) {
    // A card mounted read-only (its lock switch) marks its root so; a
    // medium whose attributes cannot be read is taken as writable, as before.
    DWORD attributes = 0;
    *value = storage && SUCCEEDED(storage->GetAttributes(&attributes, nullptr)) &&
             (attributes & WMDM_FILE_ATTR_READONLY) != 0;
  } else if (name == W("MediaIsRenamable")) {
    *value = true;
  } else if (name == W("MediaSupportsFolderInFolder")) {
    computed.result =
        SettingOrCapability(settings.SupportsFolders, storage, WMDM_STORAGECAP_FOLDERSINFOLDERS, true, value);
  } else if (name == W("MediaSupportsFoldersInRoot")) {
    computed.result =
        SettingOrCapability(settings.RootSupportsFolders, storage, WMDM_STORAGECAP_FOLDERSINROOT, true, value);
  } else if (name == W("MediaSupportsFormat")) {
    computed.result =
        SettingOrCapability(settings.SupportsFormat, storage, WMDM_STORAGECAP_NOT_INITIALIZABLE, false, value);
  } else if (name == W("MediaSupportsPlaylistReordering") || name == W("MediaSupportsPlaylists")) {
    *value = DeviceKeepsPlaylists(record);
  } else {
    computed.answer = Answer::Unknown;
  }
  if (FAILED(computed.result)) *value = false;
  return computed;
}

ULONGLONG Join(DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; }

Computed LongValue(StorageNode& node, const WString& name, LONG* value) {
  const bool high = name.size() > 2 && name.compare(name.size() - 2, 2, W("Hi")) == 0;
  const WString quantity = name.substr(0, name.size() - 2);
  const bool total = quantity == W("MediaSpaceTotal");
  const bool used = quantity == W("MediaSpaceUsed");
  const bool left = quantity == W("MediaSpaceFree");
  if (!(total || used || left) || !(high || name.compare(name.size() - 2, 2, W("Lo")) == 0))
    return {Answer::Unknown, S_OK};
  // A number that could not be read is neither kept nor handed out.
  Computed computed{Answer::Fresh, S_OK};
  ComPtr<IWMDMStorageGlobals> globals;
  computed.result = MediumGlobals(node.storage.Get(), &globals);
  if (FAILED(computed.result)) return computed;
  DWORD low = 0;
  DWORD upper = 0;
  ULONGLONG size = 0;
  ULONGLONG freeSpace = 0;
  if (total || used) {
    computed.result = globals->GetTotalSize(&low, &upper);
    if (FAILED(computed.result)) return computed;
    size = Join(upper, low);
  }
  if (left || used) {
    computed.result = globals->GetTotalFree(&low, &upper);
    if (FAILED(computed.result)) return computed;
    freeSpace = Join(upper, low);
  }
  const ULONGLONG amount = total ? size : left ? freeSpace : size - freeSpace;
  *value = static_cast<LONG>(static_cast<DWORD>(high ? amount >> 32 : amount & 0xFFFFFFFFu));
  if (total) computed.answer = Answer::Cached;
  return computed;
}

Computed StringValue(StorageNode& node, const WString& name, WString* value) {
  if (name != W("MediaDisplayName")) return {Answer::Unknown, S_OK};
  IWMDMStorage* storage = node.storage.Get();
  WString text;
  const HRESULT hr =
      ReadDeviceText([storage](WCHAR* buffer, UINT chars) { return storage->GetName(buffer, chars); }, &text);
  if (FAILED(hr)) {
    value->clear();
    return {Answer::Cached, hr};
  }
  if (text == W("\\"))
    *value = W("Root");
  else if (text == W("internal.wma"))
    *value = W("Internal Memory");
  else
    *value = text;
  return {Answer::Cached, S_OK};
}

// The frame the three getters share, under the plug-in lock: the argument
// checks, the entry line, the medium's root node and its cache, and one more
// attempt on a fresh node when the cached one's interfaces died. `answered`
// says whether `answer` is to be handed out.
template <typename Value, typename Compute>
HRESULT MediaProperty(MediaControl& media, const WCHAR* location, const WCHAR* name, bool outGiven,
                      const WCHAR* operation, std::map<WString, Value> StorageNode::*cache, RetriedOperation retried,
                      Value* answer, bool* answered, Compute compute) {
  if (!location || !name || !outGiven) return IPP_E_FAIL;
  media.WriteLog(WString(W("WMDM10::")) + operation + W(" called for property ") + name);
  const WString property(name);
  NodeRef node;
  Value value{};
  bool computedHere = false;  // the answer was worked out, not found in the cache
  Computed computed;
  const HRESULT hr = WithOneRetry(media.Resolver(), retried, [&](NodeRef* resolved) -> HRESULT {
    computedHere = false;
    node = media.Resolver().ResolveStorage(location, WString(W("\\")), 0);
    *resolved = node;
    if (!node) return IPP_E_NOTFOUND;
    auto& entries = node.get()->*cache;
    const auto hit = entries.find(property);
    if (hit != entries.end()) {
      *answer = hit->second;
      *answered = true;
      return S_OK;
    }
    DeviceRecord* record = media.FindDeviceRecord(node->deviceNumber);
    if (!record || !node->device || !node->storage) return IPP_E_NOTFOUND;
    value = Value{};
    computed = compute(*record, *node, property, &value);
    computedHere = true;
    return computed.result;
  });
  if (!computedHere) return hr;
  if (computed.answer == Answer::Unknown) return IPP_E_UNKNOWNPROPERTY;
  if (computed.answer == Answer::Cached) if (node) (node.get()->*cache)[property] = value;
  if (SUCCEEDED(computed.result) || computed.answer == Answer::Cached) {
    *answer = value;
    *answered = true;
  }
  return computed.result;
}

}  // namespace

HRESULT MediaControl::PropertyBool(const WCHAR* location, const WCHAR* name, bool outGiven, bool* answer,
                                   bool* answered) {
  return MediaProperty(*this, location, name, outGiven, W("GetMediaPropertyBool"), &StorageNode::boolCache,
                       RetriedOperation::MediaPropertyBool, answer, answered,
                       [](DeviceRecord& record, StorageNode& node, const WString& property, bool* out) {
                         return BoolValue(record, node, property, out);
                       });
}

HRESULT MediaControl::PropertyLong(const WCHAR* location, const WCHAR* name, bool outGiven, LONG* answer,
                                   bool* answered) {
  return MediaProperty(*this, location, name, outGiven, W("GetMediaPropertyLong"), &StorageNode::longCache,
                       RetriedOperation::MediaPropertyLong, answer, answered,
                       [](DeviceRecord&, StorageNode& node, const WString& property, LONG* out) {
                         return LongValue(node, property, out);
                       });
}

HRESULT MediaControl::PropertyString(const WCHAR* location, const WCHAR* name, bool outGiven, WString* answer,
                                     bool* answered) {
  return MediaProperty(*this, location, name, outGiven, W("GetMediaPropertyString"), &StorageNode::stringCache,
                       RetriedOperation::MediaPropertyString, answer, answered,
                       [](DeviceRecord&, StorageNode& node, const WString& property, WString* out) {
                         return StringValue(node, property, out);
                       });
}
