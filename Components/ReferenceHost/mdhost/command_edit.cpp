// mdhost mkdir, mv, rm and playlist: edit what a medium holds through the
// plug-in, as the library application does when its user edits the device
// view. With -v every change the plug-in reports is printed as it arrives.
// playlist show reads a playlist's entries back the way the host lists them.
#include <algorithm>
#include <iostream>

#include <unique_bstr.h>

#include "host_support/host_item_id_list.h"
#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "mdhost/media_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/refusal_words.h"
#include "mdhost/report_text.h"

namespace {

// Opens the session and finds the medium, the first of the names after the
// `skipped` ones (playlist's action); kExitOk or the status to end with.
int Begin(const CommandLine& line, const char* command, size_t skipped, size_t arguments, HostSession* session,
          std::vector<std::string>* positionals, WString* location) {
  const std::vector<std::string> names = line.Positionals();
  positionals->assign(names.begin() + static_cast<std::ptrdiff_t>(std::min(skipped, names.size())), names.end());
  if (positionals->size() < arguments) {
    std::cerr << "mdhost " << command << ": missing arguments (see mdhost help)\n";
    return kExitBadInput;
  }
  MediumName medium;
  const int opened = session->OpenOnMedium(line, command, (*positionals)[0], &medium, std::cerr);
  *location = medium.location;
  return opened;
}

int Report(const char* command, HRESULT hr, const std::string& done) {
  if (FAILED(hr)) {
    std::cerr << "mdhost " << command << ": failed: " << FailureWords(hr) << "\n";
    return kExitFailure;
  }
  std::cout << done << "\n";
  return kExitOk;
}

// A new name the medium would not take is refused before the plug-in is
// asked, whose answer would only say that it failed.
bool NameRefused(const char* command, const std::string& name) {
  const std::string refusal = NameRefusal(name);
  if (refusal.empty()) return false;
  std::cerr << "mdhost " << command << ": " << refusal << "\n";
  return true;
}

}  // namespace

int RunMkdir(const CommandLine& line) {
  HostSession session;
  std::vector<std::string> args;
  WString location;
  const int begun = Begin(line, "mkdir", 0, 3, &session, &args, &location);
  if (begun != kExitOk) return begun;
  if (NameRefused("mkdir", args[2])) return kExitFailure;
  UniqueBstr created;
  const HRESULT hr = session.Plugin()->CreateFolder(location.c_str(), HostPath(args[1]).c_str(),
                                                    wide::FromUtf8(args[2]).c_str(), created.Put());
  return Report("mkdir", hr, "created " + wide::ToUtf8(created.ToString()));
}

int RunMv(const CommandLine& line) {
  HostSession session;
  std::vector<std::string> args;
  WString location;
  const int begun = Begin(line, "mv", 0, 3, &session, &args, &location);
  if (begun != kExitOk) return begun;
  if (NameRefused("mv", args[2])) return kExitFailure;
  const HRESULT hr = session.Plugin()->RenameItem(location.c_str(), HostPath(args[1]).c_str(),
                                                  wide::FromUtf8(args[2]).c_str());
  if (FAILED(hr)) {
    std::cerr << "mdhost mv: failed: " << EditFailureWords(session.Plugin(), location, HostPath(args[1]), hr) << "\n";
    return kExitFailure;
  }
  return Report("mv", hr, "renamed " + args[1] + " to " + args[2]);
}

int RunRm(const CommandLine& line) {
  HostSession session;
  std::vector<std::string> args;
  WString location;
  const int begun = Begin(line, "rm", 0, 2, &session, &args, &location);
  if (begun != kExitOk) return begun;
  const HRESULT hr = session.Plugin()->DeleteItem(location.c_str(), HostPath(args[1]).c_str());
  if (FAILED(hr)) {
    std::cerr << "mdhost rm: failed: " << EditFailureWords(session.Plugin(), location, HostPath(args[1]), hr) << "\n";
    return kExitFailure;
  }
  return Report("rm", hr, "deleted " + args[1]);
}

int RunPlaylist(const CommandLine& line) {
  const std::vector<std::string> all = line.Positionals();
  const std::string action = all.empty() ? std::string() : all[0];
  if (action != "new" && action != "set" && action != "show") {
    std::cerr << "mdhost playlist: new MEDIUM FOLDER NAME, set MEDIUM PLAYLIST [TRACK ...], or show MEDIUM PLAYLIST\n";
    return kExitBadInput;
  }
  HostSession session;
  std::vector<std::string> args;
  WString location;
  const int begun = Begin(line, "playlist", 1, action == "new" ? 3 : 2, &session, &args, &location);
  if (begun != kExitOk) return begun;
  if (action == "show") {
    const ListingReport report = ReadListing(session.Plugin(), location, HostPath(args[1]), &session.Times());
    return PrintListing(report, line.Has("--json"), "playlist", std::cout, std::cerr) ? kExitOk : kExitFailure;
  }
  if (action == "new") {
    if (NameRefused("playlist", args[2])) return kExitFailure;
    UniqueBstr created;
    const HRESULT hr = session.Plugin()->CreatePlaylist(location.c_str(), HostPath(args[1]).c_str(),
                                                        wide::FromUtf8(args[2]).c_str(), created.Put());
    return Report("playlist", hr, "created " + wide::ToUtf8(created.ToString()));
  }
  std::vector<WString> ids;
  for (size_t i = 2; i < args.size(); ++i) ids.push_back(HostPath(args[1] + "|" + args[i]));
  HostItemIdList entries(std::move(ids));
  const HRESULT hr =
      session.Plugin()->UpdatePlaylist(location.c_str(), HostPath(args[1]).c_str(), &entries);
  return Report("playlist", hr, "set " + std::to_string(args.size() - 2) + " entries of " + args[1]);
}
