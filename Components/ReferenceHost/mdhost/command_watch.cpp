// mdhost watch: stays attached to the plug-in and prints the arrivals and
// removals its host callback reports, optionally connecting and removing the
// stand-in's players on a timed script meanwhile.
#include <iostream>
#include <map>

#include <unique_bstr.h>

#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "host_support/device_roster.h"
#include "host_support/input_file.h"
#include "host_support/watch_script.h"

namespace {

constexpr unsigned long kDefaultWatchMs = 30000;
constexpr unsigned long kAfterScriptMs = 4000;  // a worker pass, the quiet before a rescan, and then some
constexpr DWORD kQuietBeforeRescanMs = 1500;    // longer than the plug-in's worker pass

std::string DisplayName(kiMusicDevicePlugin2004* plugin, DWORD number) {
  UniqueBstr name;
  if (plugin->GetDevicePropertyString(number, W("DevDisplayName"), name.Put()) != S_OK) return "?";
  return wide::ToUtf8(name.ToString());
}

bool ReadScript(const std::string& path, std::vector<WatchStep>* steps) {
  std::string text, error;
  if (!ReadInputFile(path, &text, &error)) {
    std::cerr << "mdhost watch: " << error << "\n";
    return false;
  }
  if (!ParseWatchScript(text, steps, &error)) {
    std::cerr << "mdhost watch: " << ShownName(path) << ": " << error << "\n";
    return false;
  }
  return true;
}

// Plays one step. A removed player is remembered, so that a later "connect"
// can bring it back (without its media) as a new arrival.
class ScriptPlayer {
 public:
  explicit ScriptPlayer(wmdm_standin::PlayerModel& players) : players_(players) {}

  void Play(const WatchStep& step) {
    const WString name = wide::FromUtf8(step.player);
    const auto id = players_.FindDevice(name);
    bool done = false;
    if (step.connect) {
      done = id && players_.ConnectDevice(id);
      const auto saved = removed_.find(name);
      if (!done && saved != removed_.end()) {
        done = players_.AddDevice(saved->second) != 0;
        removed_.erase(saved);
      }
    } else if (id) {
      for (const auto& device : players_.PresentDevices())
        if (device->id == id) removed_[name] = device->description;
      done = players_.RemoveDevice(id);
    }
    std::cout << "script: " << (step.connect ? "connect " : "remove ") << step.player
              << (done ? "" : " (no change)") << "\n"
              << std::flush;
  }

 private:
  wmdm_standin::PlayerModel& players_;
  std::map<WString, wmdm_standin::DeviceDescription> removed_;
};

}  // namespace

int RunWatch(const CommandLine& line) {
  std::vector<WatchStep> steps;
  const std::string script = line.Value("--script");
  if (!script.empty() && !ReadScript(script, &steps)) return kExitBadInput;
  unsigned long durationMs = steps.empty() ? kDefaultWatchMs : steps.back().atMs + kAfterScriptMs;
  if (line.Has("--seconds")) {
    std::string error;
    if (!ParseWatchSeconds(line.Value("--seconds"), &durationMs, &error)) {
      std::cerr << "mdhost watch: " << error << "\n";
      return kExitBadInput;
    }
    for (const WatchStep& step : steps) {
      if (step.atMs < durationMs) continue;
      std::cerr << "mdhost watch: " << ShownName(script) << ": line " << step.line << ": " << step.atMs
                << " ms is past the watch's end at " << durationMs << " ms\n";
      return kExitBadInput;
    }
  }

  HostSession session;
  const int opened = session.Open(line, "watch", std::cerr);
  if (opened != kExitOk) return opened;
  kiMusicDevicePlugin2004* plugin = session.Plugin();
  DWORD number = 0;
  IPPFINDHANDLE find = nullptr;
  std::vector<DWORD> listed;
  if (plugin->FindFirstDevice(&number, &find) == S_OK) {
    do {
      listed.push_back(number);
      std::cout << "listed: device " << number << " (" << DisplayName(plugin, number) << ")\n";
    } while (plugin->FindNextDevice(find, &number) == S_OK);
    plugin->FindDeviceClose(find);
  }
  DeviceRoster roster(kQuietBeforeRescanMs);
  roster.Reset(listed);
  for (const std::string& root : line.Values("--watch-root"))
    std::cout << "watching folders in " << ShownName(root) << "\n";
  if (line.Has("--watch-mounts")) std::cout << "watching the removable media the desktop mounts\n";
  std::cout << "watching for " << durationMs / 1000.0 << " s\n" << std::flush;

  ScriptPlayer scriptPlayer(session.Players());
  const DWORD start = GetTickCount();
  size_t nextStep = 0;
  size_t seen = 0;
  // Properties are read here, on the host's thread, not in the callback.
  auto print = [&](const std::vector<HostEvent>& events, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      const HostEvent& event = events[i];
      if (event.kind == HostEvent::kDeviceArrived)
        std::cout << "arrived: device " << event.number << " (" << DisplayName(plugin, event.number) << ")\n";
      else if (event.kind == HostEvent::kDeviceRemoved)
        std::cout << "removed: device " << event.number << "\n";
    }
    std::cout << std::flush;
  };
  while (GetTickCount() - start < durationMs) {
    while (nextStep < steps.size() && GetTickCount() - start >= steps[nextStep].atMs)
      scriptPlayer.Play(steps[nextStep++]);
    session.Callback().WaitFor([&](const std::vector<HostEvent>& events) { return events.size() > seen; }, 100);
    const std::vector<HostEvent> events = session.Callback().Events();
    const size_t from = seen;
    roster.Apply(events, &seen, GetTickCount());
    print(events, from, seen);
    if (roster.RescanDue(GetTickCount())) {
      const size_t before = seen;
      std::cout << "rescan: the notifications have gone quiet\n";
      roster.Rescan(plugin, session.Callback(), &seen);
      print(session.Callback().Events(), before, seen);
    }
  }
  // The count is what is there: the watch catches up with every change made
  // so far, and the plug-in lists the players afresh.
  session.Settle();
  const size_t before = seen;
  roster.Rescan(plugin, session.Callback(), &seen);
  print(session.Callback().Events(), before, seen);
  std::cout << "attached: " << roster.Numbers().size() << " device(s)\n";
  return kExitOk;
}
