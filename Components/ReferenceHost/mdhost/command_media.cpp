// mdhost media: brings the plug-in up over the WMDM stand-in and prints
// every medium of one listed device, or of every device, with all its
// properties.
#include <algorithm>
#include <iostream>

#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/media_report.h"
#include "mdhost/medium_location.h"

int RunMedia(const CommandLine& line) {
  const std::vector<std::string> positionals = line.Positionals();
  DWORD wanted = 0;
  if (positionals.size() > 1 || (positionals.size() == 1 && !ParseCount(positionals[0], &wanted))) {
    std::cerr << "mdhost media: DEVICE is one device number, as mdhost devices prints it\n";
    return kExitBadInput;
  }
  HostSession session;
  const int opened = session.Open(line, "media", std::cerr);
  if (opened != kExitOk) return opened;
  kiMusicDevicePlugin2004* plugin = session.Plugin();
  std::vector<DWORD> numbers;
  const HRESULT listed = ListDeviceNumbers(plugin, &numbers);
  if (FAILED(listed)) {
    std::cerr << "mdhost media: FindFirstDevice failed: 0x" << std::hex << static_cast<unsigned long>(listed)
              << std::dec << "\n";
    return kExitFailure;
  }
  if (wanted) {
    if (std::find(numbers.begin(), numbers.end(), wanted) == numbers.end()) {
      std::cerr << "mdhost media: no device " << wanted << " (" << numbers.size() << " listed)\n";
      return kExitBadInput;
    }
    numbers = {wanted};
  }
  std::vector<MediaReport> reports;
  for (DWORD number : numbers) reports.push_back(ReadMediaReport(plugin, number));
  for (MediaReport& report : reports)
    for (MediaReport::Medium& medium : report.media) medium.folder = FolderOf(session.Folders(), wide::FromUtf8(medium.location));
  if (line.Has("--json"))
    PrintMediaJson(reports, std::cout);
  else
    PrintMediaTable(reports, std::cout);
  return kExitOk;
}
