// mdhost erase / mdhost format: wipes one medium through the plug-in, as the
// music-library application does when the user asks for it, and prints what
// the host heard: the end of the operation (OperationEnded with the host's
// cookie) and the slot's result.
#include <iomanip>
#include <iostream>
#include <sstream>

#include <wide_text.h>

#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/medium_location.h"

namespace {

// Any number will do: the plug-in hands it back untouched.
constexpr DWORD kHostCookie = 1;

std::string Hex(HRESULT hr) {
  std::ostringstream text;
  text << "0x" << std::hex << std::setw(8) << std::setfill('0') << static_cast<unsigned long>(static_cast<DWORD>(hr));
  return text.str();
}

int RunWipe(const CommandLine& line, const char* command, const char* slot,
            HRESULT (kiMusicDevicePlugin2004::*wipe)(const WCHAR*, DWORD)) {
  const std::string prefix = std::string("mdhost ") + command + ": ";
  const std::vector<std::string> positionals = line.Positionals();
  if (positionals.size() != 1) {
    std::cerr << "usage: " << FindCommand(command)->usage << "\n";
    return kExitBadInput;
  }
  const std::string& location = positionals.front();
  // Everything on the medium goes: only a caller who says so gets that.
  if (!line.Has("--yes")) {
    std::cerr << prefix << "refusing to " << command << " " << location << " without --yes\n";
    return kExitBadInput;
  }

  HostSession session;
  MediumName medium;
  const int opened = session.OpenOnMedium(line, command, location, &medium, std::cerr);
  if (opened != kExitOk) return opened;
  kiMusicDevicePlugin2004* plugin = session.Plugin();
  session.Callback().ClearEvents();
  const HRESULT hr = (plugin->*wipe)(medium.location.c_str(), kHostCookie);
  for (const HostEvent& event : session.Callback().Events())
    if (event.kind == HostEvent::kOperationEnded)
      std::cout << "OperationEnded(" << event.number << ", 0) before " << slot << " returned\n";
  std::cout << slot << " returned " << Hex(hr) << "\n";
  if (hr != S_OK) {
    std::cerr << prefix << slot << " of " << location << " failed: " << Hex(hr) << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

int RunErase(const CommandLine& line) { return RunWipe(line, "erase", "Erase", &kiMusicDevicePlugin2004::Erase); }

int RunFormat(const CommandLine& line) { return RunWipe(line, "format", "Format", &kiMusicDevicePlugin2004::Format); }
