#include "playlist_location.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace wmdm_standin {
namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// "https://…", "rtsp:…", and "C:\…" or "C:/…" (another drive): no place on the medium.
bool NamesElsewhere(const std::string& location) {
  const size_t colon = location.find(':');
  if (colon == std::string::npos) return false;
  const size_t slash = location.find_first_of("/\\");
  if (slash != std::string::npos && slash < colon) return false;  // "Music/a:b.mp3"
  for (size_t i = 0; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(location[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return colon > 0;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(const std::string& text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// As file URLs are written by desktop programs: everything but unreserved
// characters and "/!$&'()*+,;=:@" escaped.
std::string PercentEncoded(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    if (std::isalnum(c) || std::string("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string::npos) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

// "a/./b/../c" from `start` as names; false when it climbs above the root.
bool Normalise(const std::string& path, std::vector<std::string> start, std::vector<std::string>* names) {
  std::string part;
  std::stringstream in(path);
  while (std::getline(in, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (start.empty()) return false;
      start.pop_back();
    } else {
      start.push_back(part);
    }
  }
  *names = std::move(start);
  return true;
}

std::string Joined(const std::vector<std::string>& names, size_t from, char separator) {
  std::string path;
  for (size_t i = from; i < names.size(); ++i) {
    if (i > from) path += separator;
    path += names[i];
  }
  return path;
}

}  // namespace

std::vector<LocationReading> ReadLocation(const std::string& location, const std::vector<std::string>& playlistFolder,
                                          const std::string& mediumPath) {
  std::vector<LocationReading> readings;
  const auto add = [&](LocationAnchor anchor, char separator, const std::string& path,
                       const std::vector<std::string>& start) {
    LocationReading reading{{anchor, separator}, {}};
    if (Normalise(path, start, &reading.names)) readings.push_back(std::move(reading));
  };
  std::string path = location;
  LocationAnchor absolute = LocationAnchor::HostAbsolute;
  if (StartsWithNoCase(path, "file://")) {
    path = PercentDecoded(path.substr(7));
    if (StartsWithNoCase(path, "localhost/")) path = path.substr(9);
    if (path.empty() || path[0] != '/') return readings;  // another computer's file
    absolute = LocationAnchor::FileUrl;
  } else if (NamesElsewhere(path)) {
    return readings;
  }
  const char separator = path.find('\\') != std::string::npos && path.find('/') == std::string::npos ? '\\' : '/';
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.rfind("//", 0) == 0) return readings;  // a share on another computer
  if (path.rfind(mediumPath + "/", 0) == 0) {
    add(absolute, '/', path.substr(mediumPath.size()), {});
  } else if (absolute == LocationAnchor::FileUrl) {
    return readings;  // a file outside the medium
  } else if (path[0] == '/') {
    add(LocationAnchor::MediumAbsolute, separator, path, {});
  } else {
    add(LocationAnchor::PlaylistFolder, separator, path, playlistFolder);
    if (!playlistFolder.empty()) add(LocationAnchor::MediumRoot, separator, path, {});
  }
  return readings;
}

std::string WriteLocation(const LocationForm& form, const std::vector<std::string>& names,
                          const std::vector<std::string>& playlistFolder, const std::string& mediumPath) {
  const char separator = form.separator;
  switch (form.anchor) {
    case LocationAnchor::PlaylistFolder: {
      // Up from the playlist's folder to the first folder both share, then down.
      size_t common = 0;
      while (common < playlistFolder.size() && common + 1 < names.size() && playlistFolder[common] == names[common])
        ++common;
      std::string path;
      for (size_t i = common; i < playlistFolder.size(); ++i) path += std::string("..") + separator;
      return path + Joined(names, common, separator);
    }
    case LocationAnchor::MediumRoot: return Joined(names, 0, separator);
    case LocationAnchor::MediumAbsolute: return separator + Joined(names, 0, separator);
    case LocationAnchor::HostAbsolute: return mediumPath + "/" + Joined(names, 0, '/');
    case LocationAnchor::FileUrl: return "file://" + PercentEncoded(mediumPath + "/" + Joined(names, 0, '/'));
  }
  return Joined(names, 0, separator);
}

}  // namespace wmdm_standin
