#include "mdhost/player_formats.h"

#include <unique_bstr.h>
#include <wide_text.h>

std::string LowerExtension(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string extension = fileName.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

bool Plays(const std::string& formats, const std::string& extension) {
  return formats.empty() || (!extension.empty() && formats.find(extension) != std::string::npos);
}

bool PlayerRefusesFormat(kiMusicDevicePlugin2004* plugin, DWORD device, const std::string& fileName,
                         std::string* why) {
  UniqueBstr listed;
  if (plugin->GetDevicePropertyString(device, W("DeviceSupportedFileFormats"), listed.Put()) != S_OK) return false;
  const std::string formats = wide::ToUtf8(listed.ToString());
  const std::string extension = LowerExtension(fileName);
  if (Plays(formats, extension)) return false;
  *why = "the player does not play " + (extension.empty() ? std::string("files without an extension")
                                                          : extension + " files") +
         " (it plays " + formats + ")";
  return true;
}
