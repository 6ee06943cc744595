// mdhost ls: brings the plug-in up over the WMDM stand-in and prints what
// one folder or playlist of a medium holds, as a host's browser shows it.
#include <iostream>

#include <wide_text.h>

#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "mdhost/media_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/report_text.h"

namespace {

const std::vector<std::string>& kValueOptions = SessionValueOptions();

// Opens the session and lists the devices, as a host does before it names a
// medium, and checks `location` is one it lists. kExitOk, or the exit status.
int OpenWithDevices(HostSession& session, const CommandLine& line, const char* command, const std::string& location) {
  const int opened = session.Open(line, command, std::cerr);
  if (opened != kExitOk) return opened;
  std::vector<DWORD> numbers;
  const HRESULT listed = ListDeviceNumbers(session.Plugin(), &numbers);
  if (FAILED(listed)) {
    std::cerr << "mdhost " << command << ": FindFirstDevice failed: " << Hex(listed) << "\n";
    return kExitFailure;
  }
  if (!KnownLocation(session.Plugin(), wide::FromUtf8(location))) {
    std::cerr << "mdhost " << command << ": no medium " << location << "\n";
    return kExitBadInput;
  }
  return kExitOk;
}


}  // namespace

int RunLs(const CommandLine& line) {
  const std::vector<std::string> positionals = line.Positionals(kValueOptions);
  if (positionals.empty() || positionals.size() > 2) {
    std::cerr << "mdhost ls: give a LOCATION, as mdhost media prints it, and optionally a PATH\n";
    return kExitBadInput;
  }
  HostSession session;
  const int opened = OpenWithDevices(session, line, "ls", positionals[0]);
  if (opened != kExitOk) return opened;
  const WString location = wide::FromUtf8(positionals[0]);
  const WString path = positionals.size() > 1 ? wide::FromUtf8(positionals[1]) : WString();
  const ListingReport report = ReadListing(session.Plugin(), location, path);
  return PrintListing(report, line.Has("--json"), "ls", std::cout, std::cerr) ? kExitOk : kExitFailure;
}

// mdhost info LOCATION PATH: one item with its tags.
int RunItemInfo(const CommandLine& line) {
  const std::vector<std::string> positionals = line.Positionals(kValueOptions);
  if (positionals.size() != 2) {
    std::cerr << "mdhost info: give a LOCATION, as mdhost media prints it, and the PATH of one item\n";
    return kExitBadInput;
  }
  HostSession session;
  const int opened = OpenWithDevices(session, line, "info", positionals[0]);
  if (opened != kExitOk) return opened;
  ItemReport item;
  const HRESULT hr = ReadItem(session.Plugin(), wide::FromUtf8(positionals[0]), wide::FromUtf8(positionals[1]), &item);
  if (hr != S_OK) {
    std::cerr << "mdhost info: GetItemInformation failed: " << Hex(hr) << "\n";
    return kExitFailure;
  }
  if (line.Has("--json"))
    PrintItemJson(item, std::cout);
  else
    PrintItemTable(item, std::cout);
  return kExitOk;
}
