// mdhost ls: brings the plug-in up over the WMDM stand-in and prints what
// one folder or playlist of a medium holds, as a host's browser shows it.
#include <iostream>

#include <wide_text.h>

#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/report_text.h"

int RunLs(const CommandLine& line) {
  const std::vector<std::string> positionals = line.Positionals();
  if (positionals.empty() || positionals.size() > 2) {
    std::cerr << "mdhost ls: give a MEDIUM (a location, DEVICE/N or a player's folder, as mdhost media prints them) and optionally a PATH\n";
    return kExitBadInput;
  }
  HostSession session;
  MediumName medium;
  const int opened = session.OpenOnMedium(line, "ls", positionals[0], &medium, std::cerr);
  if (opened != kExitOk) return opened;
  const WString path = positionals.size() > 1 ? HostPath(positionals[1]) : WString();
  const ListingReport report = ReadListing(session.Plugin(), medium.location, path, &session.Times());
  return PrintListing(report, line.Has("--json"), "ls", std::cout, std::cerr) ? kExitOk : kExitFailure;
}

// mdhost info MEDIUM PATH: one item with its tags.
int RunItemInfo(const CommandLine& line) {
  const std::vector<std::string> positionals = line.Positionals();
  if (positionals.size() != 2) {
    std::cerr << "mdhost info: give a MEDIUM (a location, DEVICE/N or a player's folder, as mdhost media prints them) and the PATH of one item\n";
    return kExitBadInput;
  }
  HostSession session;
  MediumName medium;
  const int opened = session.OpenOnMedium(line, "info", positionals[0], &medium, std::cerr);
  if (opened != kExitOk) return opened;
  ItemReport item;
  const HRESULT hr = ReadShownItem(session.Plugin(), medium.location, HostPath(positionals[1]), &session.Times(), &item);
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
