#include "mdhost/player_listing.h"

#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include <wide_text.h>

#include <com_ptr.h>
#include <result_macros.h>
#include <unique_propvariant.h>

namespace {

constexpr UINT kNameChars = 260;

std::string Hex(unsigned long long value, int digits) {
  std::ostringstream text;
  text << "0x" << std::uppercase << std::hex << std::setw(digits) << std::setfill('0') << value;
  return text.str();
}

std::string Failure(HRESULT result) {
  return result == WMDM_E_NOTSUPPORTED ? "(not supported)" : "(fails: " + Hex(static_cast<DWORD>(result), 8) + ")";
}

template <typename Object>
std::string Text(Object* object, HRESULT (STDMETHODCALLTYPE Object::*getter)(LPWSTR, UINT)) {
  WCHAR buffer[kNameChars] = {};
  const HRESULT result = (object->*getter)(buffer, kNameChars);
  return SUCCEEDED(result) ? wide::ToUtf8(buffer, wide::Length(buffer)) : Failure(result);
}

std::string Flags(DWORD value, const std::vector<std::pair<DWORD, const char*>>& names) {
  std::string text;
  for (const auto& [bit, name] : names) {
    if (!(value & bit)) continue;
    if (!text.empty()) text += " ";
    text += name;
  }
  return text;
}

std::string Bytes(DWORD low, DWORD high) {
  return std::to_string((static_cast<unsigned long long>(high) << 32) | low);
}

std::string FormatName(DWORD code) {
  switch (code) {
    case WMDM_FORMATCODE_MP3: return "mp3";
    case WMDM_FORMATCODE_WMA: return "wma";
    case WMDM_FORMATCODE_WAVE: return "wav";
    case WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST: return "playlist";
    default: return Hex(code, 4);
  }
}

void PrintDeviceFacts(IWMDMDevice* device, std::ostream& out) {
  out << "  manufacturer:   " << Text(device, &IWMDMDevice::GetManufacturer) << "\n";
  ComPtr<IWMDMDevice> held(device);
  ComPtr<IWMDMDevice2> device2;
  if (SUCCEEDED(held.As(&device2)))
    out << "  canonical name: " << Text(device2.Get(), &IWMDMDevice2::GetCanonicalName) << "\n";
  DWORD value = 0;
  HRESULT result = device->GetVersion(&value);
  out << "  version:        " << (SUCCEEDED(result) ? std::to_string(value) : Failure(result)) << "\n";
  result = device->GetType(&value);
  out << "  type:           "
      << (SUCCEEDED(result) ? Flags(value, {{WMDM_DEVICE_TYPE_PLAYBACK, "playback"},
                                            {WMDM_DEVICE_TYPE_RECORD, "record"},
                                            {WMDM_DEVICE_TYPE_STORAGE, "storage"},
                                            {WMDM_DEVICE_TYPE_SDMI, "sdmi"},
                                            {WMDM_DEVICE_TYPE_NONSDMI, "nonsdmi"}})
                            : Failure(result))
      << "\n";
  WMDMID serial = {};
  result = device->GetSerialNumber(&serial, nullptr);
  std::string serialText;
  for (UINT i = 0; SUCCEEDED(result) && i < serial.SerialNumberLength && i < WMDMID_LENGTH; ++i)
    serialText += Hex(serial.pID[i], 2).substr(2);
  out << "  serial:         " << (SUCCEEDED(result) ? serialText : Failure(result)) << "\n";
}

void PrintFormats(IWMDMDevice* device, std::ostream& out) {
  _WAVEFORMATEX* formats = nullptr;
  LPWSTR* types = nullptr;
  UINT formatCount = 0, typeCount = 0;
  const HRESULT result = device->GetFormatSupport(&formats, &formatCount, &types, &typeCount);
  if (FAILED(result)) {
    out << "  wave formats:   " << Failure(result) << "\n";
    return;
  }
  out << "  wave formats:  ";
  for (UINT i = 0; i < formatCount; ++i) {
    out << " " << Hex(formats[i].wFormatTag, 4);
    if (formats[i].nAvgBytesPerSec) out << "@" << formats[i].nAvgBytesPerSec * 8 / 1000 << "k";
  }
  out << "\n  mime types:    ";
  for (UINT i = 0; i < typeCount; ++i) out << " " << wide::ToUtf8(types[i], wide::Length(types[i]));
  out << "\n";
  CoTaskMemFree(formats);
  CoTaskMemFree(types);

  ComPtr<IWMDMDevice> held(device);
  ComPtr<IWMDMDevice3> device3;
  if (FAILED(held.As(&device3))) return;
  UniquePropVariant value;
  const HRESULT property = device3->GetProperty(g_wszWMDMFormatsSupported, value.Put());
  out << "  file formats:  ";
  if (SUCCEEDED(property) && value.Type() == (VT_ARRAY | VT_UI4)) {
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(value->parray, 1, &lower);
    SafeArrayGetUBound(value->parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
      ULONG code = 0;
      SafeArrayGetElement(value->parray, &i, &code);
      out << " " << FormatName(code);
    }
  } else {
    out << " " << Failure(property);
  }
  out << "\n";
}

void PrintMediumFacts(IWMDMStorage* medium, std::ostream& out) {
  ComPtr<IWMDMStorageGlobals> globals;
  const HRESULT result = medium->GetStorageGlobals(&globals);
  if (FAILED(result)) {
    out << " " << Failure(result) << "\n";
    return;
  }
  DWORD low = 0, high = 0, status = 0, capabilities = 0;
  if (SUCCEEDED(globals->GetTotalSize(&low, &high))) out << " " << Bytes(low, high) << " bytes,";
  if (SUCCEEDED(globals->GetTotalFree(&low, &high))) out << " " << Bytes(low, high) << " free,";
  if (SUCCEEDED(globals->GetStatus(&status)))
    out << " " << Flags(status, {{WMDM_STATUS_READY, "ready"}, {WMDM_STATUS_BUSY, "busy"}});
  if (SUCCEEDED(globals->GetCapabilities(&capabilities)))
    out << " [" << Flags(capabilities, {{WMDM_STORAGECAP_FOLDERSINROOT, "folders-in-root"},
                                          {WMDM_STORAGECAP_FILESINROOT, "files-in-root"},
                                          {WMDM_STORAGECAP_FOLDERSINFOLDERS, "folders-in-folders"},
                                          {WMDM_STORAGECAP_FILESINFOLDERS, "files-in-folders"},
                                          {WMDM_STORAGECAP_NOT_INITIALIZABLE, "not-initializable"}})
        << "]";
  out << "\n";
}

// Title, artist, album and track as one short note; the format code back.
std::string TagNote(IWMDMStorage* storage, DWORD* formatCode) {
  *formatCode = 0;
  ComPtr<IWMDMStorage> held(storage);
  ComPtr<IWMDMStorage3> storage3;
  ComPtr<IWMDMMetaData> metadata;
  if (FAILED(held.As(&storage3)) || FAILED(storage3->GetMetadata(&metadata))) return "";
  std::string note;
  const std::pair<const WCHAR*, const char*> shown[] = {{g_wszWMDMTitle, "\""},
                                                        {g_wszWMDMAuthor, "by "},
                                                        {g_wszWMDMAlbumTitle, "on "},
                                                        {g_wszWMDMTrack, "#"}};
  for (const auto& [name, prefix] : shown) {
    WMDM_TAG_DATATYPE type = WMDM_TYPE_BINARY;
    BYTE* value = nullptr;
    UINT length = 0;
    if (FAILED(metadata->QueryByName(name, &type, &value, &length))) continue;
    std::string text;
    if (type == WMDM_TYPE_STRING && length >= sizeof(WCHAR))
      text = wide::ToUtf8(reinterpret_cast<WCHAR*>(value), length / sizeof(WCHAR) - 1);
    else if (type == WMDM_TYPE_DWORD && length == sizeof(DWORD))
      text = std::to_string(*reinterpret_cast<DWORD*>(value));
    CoTaskMemFree(value);
    if (text.empty()) continue;
    note += std::string(note.empty() ? "" : " ") + prefix + text + (prefix[0] == '"' ? "\"" : "");
  }
  WMDM_TAG_DATATYPE type = WMDM_TYPE_BINARY;
  BYTE* value = nullptr;
  UINT length = 0;
  if (SUCCEEDED(metadata->QueryByName(g_wszWMDMFormatCode, &type, &value, &length)) && type == WMDM_TYPE_DWORD &&
      length == sizeof(DWORD))
    *formatCode = *reinterpret_cast<DWORD*>(value);
  CoTaskMemFree(value);
  return note;
}

std::string PlaylistEntries(IWMDMStorage* playlist) {
  ComPtr<IWMDMStorage> held(playlist);
  ComPtr<IWMDMStorage4> storage4;
  if (FAILED(held.As(&storage4))) return "";
  DWORD count = 0;
  IWMDMStorage** entries = nullptr;
  const HRESULT result = storage4->GetReferences(&count, &entries);
  if (FAILED(result)) return Failure(result);
  std::string text;
  for (DWORD i = 0; i < count; ++i) {
    ComPtr<IWMDMStorage> entry;
    entry.Attach(entries[i]);
    text += (i ? ", " : "") + Text(entry.Get(), &IWMDMStorage::GetName);
  }
  CoTaskMemFree(entries);
  return text.empty() ? "(empty)" : text;
}

void PrintTree(IWMDMStorage* folder, int depth, std::ostream& out) {
  ComPtr<IWMDMEnumStorage> children;
  if (FAILED(folder->EnumStorage(&children))) return;
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  ComPtr<IWMDMStorage> child;
  ULONG fetched = 0;
  while (children->Next(1, &child, &fetched) == S_OK && fetched == 1) {
    DWORD attributes = 0;
    child->GetAttributes(&attributes, nullptr);
    const std::string marks = Flags(attributes, {{WMDM_FILE_ATTR_HIDDEN, "hidden"},
                                                 {WMDM_FILE_ATTR_SYSTEM, "system"},
                                                 {WMDM_FILE_ATTR_READONLY, "read-only"}});
    out << indent << Text(child.Get(), &IWMDMStorage::GetName);
    if (attributes & WMDM_FILE_ATTR_FOLDER) {
      out << "\\" << (marks.empty() ? "" : "  [" + marks + "]") << "\n";
      PrintTree(child.Get(), depth + 1, out);
      continue;
    }
    DWORD low = 0, high = 0;
    if (SUCCEEDED(child->GetSize(&low, &high))) out << "  " << Bytes(low, high) << " bytes";
    if (!marks.empty()) out << "  [" << marks << "]";
    DWORD formatCode = 0;
    const std::string note = TagNote(child.Get(), &formatCode);
    if (formatCode == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST)
      out << "  playlist: " << PlaylistEntries(child.Get());
    else if (!note.empty())
      out << "  " << note;
    out << "\n";
  }
}

}  // namespace

HRESULT PrintPlayers(IWMDeviceManager* manager, std::ostream& out) {
  ComPtr<IWMDeviceManager> held(manager);
  ComPtr<IWMDeviceManager2> manager2;
  RETURN_IF_FAILED(held.As(&manager2));
  // The players as the plug-in lists them: one device each, whatever its
  // storages (too late once devices were enumerated, which changes nothing).
  ComPtr<IWMDeviceManager3> manager3;
  if (SUCCEEDED(held.As(&manager3))) manager3->SetDeviceEnumPreference(DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES);
  ComPtr<IWMDMEnumDevice> devices;
  RETURN_IF_FAILED(manager2->EnumDevices2(&devices));
  ComPtr<IWMDMDevice> device;
  ULONG fetched = 0;
  int listed = 0;
  HRESULT next = S_OK;
  while ((next = devices->Next(1, &device, &fetched)) == S_OK && fetched == 1) {
    out << (listed++ ? "\n" : "") << Text(device.Get(), &IWMDMDevice::GetName) << "\n";
    PrintDeviceFacts(device.Get(), out);
    PrintFormats(device.Get(), out);
    ComPtr<IWMDMEnumStorage> media;
    RETURN_IF_FAILED(device->EnumStorage(&media));
    ComPtr<IWMDMStorage> medium;
    while (media->Next(1, &medium, &fetched) == S_OK && fetched == 1) {
      out << "  medium \"" << Text(medium.Get(), &IWMDMStorage::GetName) << "\":";
      PrintMediumFacts(medium.Get(), out);
      PrintTree(medium.Get(), 2, out);
    }
  }
  if (listed == 0) out << "no players\n";
  return FAILED(next) ? next : S_OK;
}
