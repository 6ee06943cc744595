// Reads every medium of a listed device and all its properties, for
// mdhost media.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include <ki_music_device_plugin2004.h>

struct MediaReport {
  struct Property {
    std::string name;
    HRESULT result;
    std::string value;  // as the table shows it; JSON writes it by kind
    enum Kind { kFlag, kNumber, kText } kind;
  };
  struct Medium {
    std::string location;
    std::string shortForm;  // DEVICE/N
    std::string folder;     // the folder of a folder player; empty for others
    std::vector<Property> properties;
  };
  DWORD number = 0;
  std::string displayName;  // the device's
  HRESULT walk = S_OK;      // a failure that ended the walk of the media
  std::vector<Medium> media;
};

// The numbers FindFirstDevice and FindNextDevice hand out; the failure of
// FindFirstDevice, or S_OK.
HRESULT ListDeviceNumbers(kiMusicDevicePlugin2004* plugin, std::vector<DWORD>* numbers);

MediaReport ReadMediaReport(kiMusicDevicePlugin2004* plugin, DWORD number);

void PrintMediaTable(const std::vector<MediaReport>& reports, std::ostream& out);
void PrintMediaJson(const std::vector<MediaReport>& reports, std::ostream& out);
