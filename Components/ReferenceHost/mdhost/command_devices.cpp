// mdhost devices: brings the plug-in up over the WMDM stand-in and prints
// every listed device with all its properties.
#include <iostream>

#include "mdhost/command.h"
#include "mdhost/device_report.h"
#include "mdhost/host_session.h"

int RunDevices(const CommandLine& line) {
  HostSession session;
  const int opened = session.Open(line, "devices", std::cerr);
  if (opened != kExitOk) return opened;
  kiMusicDevicePlugin2004* plugin = session.Plugin();
  std::vector<DWORD> numbers;
  DWORD number = 0;
  IPPFINDHANDLE find = nullptr;
  const HRESULT first = plugin->FindFirstDevice(&number, &find);
  if (FAILED(first)) {
    std::cerr << "mdhost devices: FindFirstDevice failed: 0x" << std::hex << static_cast<unsigned long>(first)
              << std::dec << "\n";
    return kExitFailure;
  }
  if (first == S_OK) {
    numbers.push_back(number);
    while (plugin->FindNextDevice(find, &number) == S_OK) numbers.push_back(number);
    plugin->FindDeviceClose(find);
  }
  std::vector<DeviceReport> reports;
  for (DWORD listed : numbers) reports.push_back(ReadDeviceReport(plugin, listed));
  if (line.Has("--json"))
    PrintReportJson(reports, std::cout);
  else
    PrintReportTable(reports, std::cout);
  return kExitOk;
}
