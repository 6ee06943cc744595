#include "content/locations.h"

#include <algorithm>

#include "core/escape_name.h"
#include "host_sdk/ipp_result_codes.h"
#include <unique_bstr.h>

namespace locations {

namespace {

const WString kPrefix = W("WMDM10");
const WString kSeparator = W("___");
constexpr WCHAR kBackslash = W('\\');

bool StartsWithBackslash(const WString& path) { return !path.empty() && path[0] == kBackslash; }

}  // namespace

bool HasMediaPrefix(const WString& location) {
  // Compared in line: every resolution asks this, a listing once per child,
  // and the library's comparison of 16-bit text is a loop of calls.
  return location.size() >= kPrefix.size() && std::equal(kPrefix.begin(), kPrefix.end(), location.begin());
}

bool ParseMediaLocation(const WString& location, MediaLocationParts* parts) {
  if (!HasMediaPrefix(location)) return false;
  // An escaped identity holds no "_", so the first "___" ends it.
  const size_t separator = location.find(kSeparator);
  if (separator == WString::npos) return false;
  if (parts) {
    parts->devicePart = location.substr(kPrefix.size(), separator - kPrefix.size());
    parts->separatorIndex = separator;
    parts->mediumName = UnescapeName(location.substr(separator + kSeparator.size()));
  }
  return true;
}

WString ComposeMediaLocation(const WString& identity, const WString& mediumName) {
  return kPrefix + EscapeName(identity) + kSeparator + EscapeName(mediumName);
}

LONG FindDeviceByLocation(const WString& location, const std::vector<std::unique_ptr<DeviceRecord>>& list,
                          size_t* separatorIndex) {
  MediaLocationParts parts;
  if (!ParseMediaLocation(location, &parts)) return 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const DeviceRecord& record = *list[i];
    if (record.gone || record.identity.empty()) continue;
    if (EscapeName(record.identity) != parts.devicePart) continue;
    if (separatorIndex) *separatorIndex = parts.separatorIndex;
    return static_cast<LONG>(i + 1);
  }
  return 0;
}

namespace {

// Joins `first`, a "\\" when `separate`, and `second` into one string made at
// its final size: keys and paths are built once per listed item.
WString Joined(const WString& first, bool separate, std::basic_string_view<WCHAR> second) {
  WString joined;
  joined.reserve(first.size() + (separate ? 1 : 0) + second.size());
  joined.append(first);
  if (separate) joined.push_back(kBackslash);
  joined.append(second);
  return joined;
}

}  // namespace

WString StorageKey(const WString& location, const WString& devicePath) {
  return Joined(location, !StartsWithBackslash(devicePath), devicePath);
}

void ChildKey(const WString& location, const WString& parentPath, std::basic_string_view<WCHAR> name, WString* key,
              size_t* pathStart) {
  // The child's path starts with "\" unless its parent's path is a relative one.
  const bool keySeparator = !parentPath.empty() && !StartsWithBackslash(parentPath);
  const bool pathSeparator = parentPath.empty() || parentPath.back() != kBackslash;
  // Sized once and written in place: a listing joins every child's key in
  // the same string, which keeps its room, and appending piece by piece
  // checked the room at every piece.
  key->resize(location.size() + keySeparator + parentPath.size() + pathSeparator + name.size());
  WCHAR* out = std::copy(location.begin(), location.end(), key->data());
  if (keySeparator) *out++ = kBackslash;
  *pathStart = static_cast<size_t>(out - key->data());
  out = std::copy(parentPath.begin(), parentPath.end(), out);
  if (pathSeparator) *out++ = kBackslash;
  std::copy(name.begin(), name.end(), out);
}

WString SplitPath(const WString& path, WString* name) {
  const size_t last = path.rfind(kBackslash);
  if (last == WString::npos || last == 0) {
    if (name) *name = last == 0 ? path.substr(1) : path;
    return WString(1, kBackslash);
  }
  if (name) *name = path.substr(last + 1);
  return path.substr(0, last);
}

WString JoinPath(const WString& parentPath, std::basic_string_view<WCHAR> name) {
  return Joined(parentPath, parentPath.empty() || parentPath.back() != kBackslash, name);
}

std::vector<WString> PathComponents(const WString& path) {
  std::vector<WString> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(kBackslash, start);
    if (end == WString::npos) end = path.size();
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

WString ParentPath(const WString& path) {
  const size_t end = path.find_last_not_of(kBackslash);
  const size_t cut = end == WString::npos ? WString::npos : path.rfind(kBackslash, end);
  WString parent;
  if (cut != WString::npos) {
    parent.reserve(cut);
    for (size_t start = 0; start < cut;) {
      size_t next = path.find(kBackslash, start);
      if (next == WString::npos || next > cut) next = cut;
      if (next > start) parent.append(1, kBackslash).append(path, start, next - start);
      start = next + 1;
    }
  }
  return parent.empty() ? WString(1, kBackslash) : parent;
}

WString ToDevicePath(const WString& rootPrefix, const WString& hostPath) {
  if (hostPath.empty()) return rootPrefix;
  return StartsWithBackslash(hostPath) ? rootPrefix + hostPath : rootPrefix + kBackslash + hostPath;
}

bool IsChildPath(std::basic_string_view<WCHAR> path, std::basic_string_view<WCHAR> name) {
  if (name.empty() || path.size() <= name.size() || path.front() != kBackslash) return false;
  const size_t start = path.size() - name.size();
  // One pass: no "\" right after another, and the last one just before the
  // name, which then holds none.
  size_t lastSeparator = 0;
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] != kBackslash) continue;
    if (path[i - 1] == kBackslash) return false;
    lastSeparator = i;
  }
  return lastSeparator + 1 == start && std::equal(name.begin(), name.end(), path.begin() + start);
}

bool IsJoinableFolderPath(std::basic_string_view<WCHAR> folderPath) {
  if (folderPath.empty()) return true;
  if (folderPath.front() != kBackslash) return false;
  for (size_t i = 1; i < folderPath.size(); ++i)
    if (folderPath[i] == kBackslash && folderPath[i - 1] == kBackslash) return false;
  return true;
}

size_t HostPathStart(const WString& rootPrefix, std::basic_string_view<WCHAR> devicePath) {
  if (rootPrefix.empty() || devicePath.compare(0, rootPrefix.size(), rootPrefix) != 0) return 0;
  // '\MusicBox' is not under '\Music': the prefix must end at a component.
  if (devicePath.size() > rootPrefix.size() && devicePath[rootPrefix.size()] != kBackslash) return 0;
  return rootPrefix.size();
}

WString ToHostPath(const WString& rootPrefix, const WString& devicePath) {
  return devicePath.substr(HostPathStart(rootPrefix, devicePath));
}

bool SplitEntryId(const WString& rootPrefix, const WString& id, WString* playlistPath, WString* trackPath) {
  const size_t bar = id.find(W('|'));
  if (bar == WString::npos) return false;
  size_t track = bar + 1;
  if (track < id.size() && id[track] == kBackslash) ++track;
  if (playlistPath) *playlistPath = ToDevicePath(rootPrefix, id.substr(0, bar));
  if (trackPath) *trackPath = ToDevicePath(rootPrefix, id.substr(track));
  return true;
}

HRESULT MakeEntryId(const WString& rootPrefix, const WString& playlistDevicePath, kiIPPItem* item) {
  if (!item) return IPP_E_FAIL;
  UniqueBstr trackPath;
  trackPath.Reset(item->GetLocation());  // adopted: the constructor would copy it
  const WString id = ToHostPath(rootPrefix, playlistDevicePath) + W('|') + trackPath.ToString();
  return item->SetLocation(id.c_str()) ? S_OK : E_OUTOFMEMORY;
}

}  // namespace locations
