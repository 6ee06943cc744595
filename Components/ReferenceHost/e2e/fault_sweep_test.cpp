// The fault sweep: the host session runs once cleanly, recording which WMDM
// methods every slot call makes; then it reruns once per (slot call, method,
// nth call of that method) with exactly that platform call failing. After
// every rerun: no crash or hang, every slot answers a mapped result (no
// platform code reaches the host), the plug-in lock is free, no stand-in
// object outlives the shutdown, and a slot that failed before it changed
// anything left the players as they were.
//
// One test per step of the session, so that CTest spreads the reruns over
// the cores. Each (slot call, method) fails its first call with each of five
// results, and its second and last calls with one of them in turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <sstream>

#include <com_support.h>
#include <mswmdm.h>

#include "e2e/host_script.h"

namespace {

using wmdm_standin::ObjectKind;
using wmdm_standin::PlayerModel;
using Method = std::pair<ObjectKind, std::string>;

// Windows' ERROR_DEVICE_NOT_CONNECTED, which the layer for Linux does not name.
constexpr DWORD kDeviceNotConnected = 1167;

// What a platform call can go wrong with.
const HRESULT kFaults[] = {
    E_FAIL,                                          // a generic failure
    WMDM_E_INTERFACEDEAD,                            // the object went away (the plug-in retries once)
    E_OUTOFMEMORY,                                   //
    HRESULT_FROM_WIN32(ERROR_DISK_FULL),             //
    HRESULT_FROM_WIN32(kDeviceNotConnected),         // the device removed in the middle of the call
};

const int kUnimplemented[] = {16, 17, 18, 20, 28, 35, 39, 40, 41, 46, 47, 48};

// The methods that change what a player holds.
bool Changes(const Method& method) {
  static const char* const names[] = {"Insert",  "Insert2",       "Insert3",        "Delete",        "Rename",
                                      "Move",    "SetReferences", "SetMetadata",    "SetAttributes", "SetAttributes2"};
  if (method.first == ObjectKind::StorageGlobals && method.second == "Initialize") return true;
  return method.first == ObjectKind::Storage &&
         std::find(std::begin(names), std::end(names), method.second) != std::end(names);
}

bool IsHostAnswer(HRESULT hr, int slot) {
  const ULONG code = static_cast<ULONG>(hr);
  if (hr == E_NOTIMPL) return std::count(std::begin(kUnimplemented), std::end(kUnimplemented), slot) != 0;
  return hr == S_OK || hr == S_FALSE || hr == 0x00040001 || (code >= 0x80040010u && code <= 0x8004001Cu);
}

std::string Hex(HRESULT hr) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << static_cast<ULONG>(hr);
  return text.str();
}

// Everything the players hold, one line per stored object: path, size,
// attributes, playlist entries.
std::string Content(PlayerModel& players) {
  std::string text;
  std::function<void(wmdm_standin::ObjectId, const WString&, wmdm_standin::ObjectId)> walk =
      [&](wmdm_standin::ObjectId device, const WString& path, wmdm_standin::ObjectId id) {
        const auto info = players.Inspect(id);
        if (!info || info->deleted) return;
        text += wide::ToUtf8(path) + " " + std::to_string(info->size) + " " + std::to_string(info->attributes);
        for (wmdm_standin::ObjectId entry : info->references) text += " >" + std::to_string(entry);
        text += "\n";
        for (const WString& child : info->children) {
          const WString childPath = path + W("\\") + child;
          walk(device, childPath, players.Find(device, childPath));
        }
      };
  for (const auto& device : players.PresentDevices())
    for (const auto& medium : device->media) walk(device->id, medium->description.name, medium->id);
  return text;
}

struct CleanRun {
  std::vector<SlotAnswer> answers;
  std::vector<std::vector<Method>> platformCalls;  // per slot call, in order
};

ScriptOptions Options() {
  ScriptOptions options;
  options.tracksFolder = std::string(MD_FIXTURES_DIR) + "/tracks";
  options.hotplug = false;  // the worker's waits would make every rerun seconds long
  return options;
}

CleanRun RecordCleanRun() {
  CleanRun run;
  ScriptOptions options = Options();
  options.beforeCall = [](size_t, int, PlayerModel& players) { players.Faults().ResetCalls(); };
  options.afterCall = [&](size_t call, int, HRESULT, PlayerModel& players) {
    run.platformCalls.resize(call + 1);
    run.platformCalls[call] = players.Faults().CallSequence();
  };
  HostScript script(options);
  EXPECT_TRUE(script.Run()) << "the clean run has problems";
  run.answers = script.Answers();
  run.platformCalls.resize(run.answers.size());
  return run;
}

struct Unit {
  size_t call;
  Method method;
  int nth;  // 1-based, among this slot call's calls of the method
  HRESULT fault;
  bool beforeAnyChange;  // no changing call came before it in the clean run
};

std::vector<Unit> UnitsOf(const CleanRun& clean, const std::string& step) {
  std::vector<Unit> units;
  size_t turn = 0;
  for (size_t call = 0; call < clean.answers.size(); ++call) {
    if (clean.answers[call].step != step) continue;
    const std::vector<Method>& calls = clean.platformCalls[call];
    std::map<Method, int> count;
    for (const Method& method : calls) ++count[method];
    for (const auto& [method, total] : count) {
      // Where the nth call of the method stands, and whether a change came
      // before it.
      auto beforeChange = [&](int nth) {
        int seen = 0;
        for (const Method& made : calls) {
          if (made == method && ++seen == nth) return true;
          if (Changes(made)) return false;
        }
        return true;
      };
      for (HRESULT fault : kFaults) units.push_back({call, method, 1, fault, beforeChange(1)});
      std::vector<int> more;
      if (total >= 2) more.push_back(2);
      if (total >= 3) more.push_back(total);
      for (int nth : more) units.push_back({call, method, nth, kFaults[turn++ % std::size(kFaults)], beforeChange(nth)});
    }
  }
  return units;
}

class FaultSweep : public ::testing::TestWithParam<std::string> {
 protected:
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0); }
};

TEST_P(FaultSweep, EveryPlatformCallOfTheStepFails) {
  const CleanRun clean = RecordCleanRun();
  const std::vector<Unit> units = UnitsOf(clean, GetParam());
  if (units.empty()) GTEST_SKIP() << "the step makes no platform call";
  for (const Unit& unit : units) {
    std::ostringstream name;
    name << "slot " << clean.answers[unit.call].slot << " (call " << unit.call << "): "
         << wmdm_standin::KindName(unit.method.first) << "::" << unit.method.second << " call " << unit.nth
         << " fails with " << Hex(unit.fault);
    SCOPED_TRACE(name.str());

    std::string before, after;
    bool hit = false;
    ScriptOptions options = Options();
    options.beforeCall = [&](size_t call, int, PlayerModel& players) {
      if (call != unit.call) return;
      before = Content(players);
      players.Faults().ResetCalls();
      // A dead storage (or its globals) stays dead, as on a device: only a
      // fresh lookup gets a live one.
      if (unit.fault == WMDM_E_INTERFACEDEAD &&
          (unit.method.first == ObjectKind::Storage || unit.method.first == ObjectKind::StorageGlobals))
        players.Faults().InjectDeath(unit.method.first, unit.method.second, unit.fault, 1, 0, unit.nth - 1);
      else
        players.Faults().Inject(unit.method.first, unit.method.second, unit.fault, 1, 0, unit.nth - 1);
    };
    options.afterCall = [&](size_t call, int, HRESULT, PlayerModel& players) {
      if (call != unit.call) return;
      const auto calls = players.Faults().CallsByMethod();
      const auto made = calls.find(unit.method);
      hit = made != calls.end() && made->second >= unit.nth;
      players.Faults().ClearFaults();
      after = Content(players);
    };
    HostScript script(options);
    script.Run();

    ASSERT_GT(script.Answers().size(), unit.call) << "the session ended before the faulted call";
    EXPECT_TRUE(hit) << "the faulted call was not made";
    for (const SlotAnswer& answer : script.Answers())
      EXPECT_TRUE(IsHostAnswer(answer.answer, answer.slot))
          << answer.step << ": slot " << answer.slot << " answered " << Hex(answer.answer);
    for (const std::string& problem : script.Problems()) {
      EXPECT_EQ(problem.find("alive after shutdown"), std::string::npos) << problem;
      EXPECT_EQ(problem.find("lock is held"), std::string::npos) << problem;
      EXPECT_EQ(problem.find("ReleaseIMDP2004"), std::string::npos) << problem;
      EXPECT_EQ(problem.find("invariant:"), std::string::npos) << problem;
    }
    const HRESULT answer = script.Answers()[unit.call].answer;
    if (FAILED(answer) && unit.beforeAnyChange) {
      EXPECT_EQ(before, after) << "slot " << clean.answers[unit.call].slot << " failed with " << Hex(answer)
                               << " before changing anything, yet the players changed";
    }
    if (HasFailure()) break;  // one broken unit tells enough; the rest would repeat it
  }
  RecordProperty("injected_faults", static_cast<int>(units.size()));
  std::cout << "[ SWEEP    ] " << GetParam() << ": " << units.size() << " faults injected\n";
}

// The plan: every platform call of the clean run is covered, the first call
// of each method by all five results.
TEST(FaultSweepPlan, CoversEveryPlatformCallOfTheSession) {
  const CleanRun clean = RecordCleanRun();
  size_t units = 0, calls = 0;
  std::set<std::tuple<size_t, Method, HRESULT>> firstCalls;
  for (const std::string& step : HostScript::StepNames()) {
    for (const Unit& unit : UnitsOf(clean, step)) {
      ++units;
      if (unit.nth == 1) firstCalls.insert({unit.call, unit.method, unit.fault});
    }
  }
  for (size_t call = 0; call < clean.platformCalls.size(); ++call) {
    std::set<Method> methods(clean.platformCalls[call].begin(), clean.platformCalls[call].end());
    calls += clean.platformCalls[call].size();
    for (const Method& method : methods)
      for (HRESULT fault : kFaults)
        EXPECT_TRUE(firstCalls.count({call, method, fault})) << "call " << call << " " << method.second;
  }
  EXPECT_GT(units, 1000u);
  std::cout << "[ SWEEP    ] " << units << " faults planned over " << calls << " platform calls of "
            << clean.answers.size() << " slot calls\n";
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Steps, FaultSweep, ::testing::ValuesIn(HostScript::StepNames()), TestName);

}  // namespace
