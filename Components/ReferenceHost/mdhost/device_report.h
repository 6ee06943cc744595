// Reads everything the plug-in tells about one listed device, for mdhost's
// device commands.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include <wide_text.h>

#include <ki_music_device_plugin2004.h>

struct DeviceReport {
  struct Flag {
    std::string name;
    HRESULT result;
    bool value;
  };
  struct Number {
    std::string name;
    HRESULT result;
    LONG value;
  };
  struct Text {
    std::string name;
    HRESULT result;
    std::string value;
  };
  struct Rates {
    std::string type;
    HRESULT result;
    std::vector<LONG> rates;
    bool everyRate;
  };
  DWORD number = 0;
  std::vector<Flag> flags;
  std::vector<Number> numbers;
  std::vector<Text> texts;
  std::vector<Rates> bitrates;
};

DeviceReport ReadDeviceReport(kiMusicDevicePlugin2004* plugin, DWORD number);

void PrintReportTable(const std::vector<DeviceReport>& reports, std::ostream& out);
void PrintReportJson(const std::vector<DeviceReport>& reports, std::ostream& out);
