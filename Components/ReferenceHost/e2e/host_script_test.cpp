// The whole host session against the built module, and proof that the
// session notices when the plug-in answers wrong or a report never comes.
#include "e2e/host_script.h"

#include <gtest/gtest.h>

#include <iostream>

#include <com_support.h>

namespace {

using wmdm_standin::ObjectKind;

ScriptOptions Options() {
  ScriptOptions options;
  options.tracksFolder = std::string(MD_FIXTURES_DIR) + "/tracks";
  return options;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

class HostScriptTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0) << "a stand-in object outlived the test"; }

  static bool HasProblem(const HostScript& script, const std::string& step, const std::string& words) {
    for (const std::string& problem : script.Problems())
      if (problem.rfind(step + ": ", 0) == 0 && problem.find(words) != std::string::npos) return true;
    return false;
  }
};

// Under chaos that takes media out (MD_STANDIN_CHAOS=seed,remove-store) a
// step whose medium went does not run, or is judged by the invariants alone;
// every slot is then not driven.
TEST_F(HostScriptTest, WholeSessionDrivesEverySlot) {
  HostScript script(Options());
  EXPECT_TRUE(script.Run()) << Joined(script.Problems());
  bool mediumOut = false;
  for (const StepReport& step : script.Steps()) {
    EXPECT_TRUE(step.ran || step.mediumOut) << step.name;
    if (step.mediumOut && !mediumOut) std::cout << "[ CHAOS    ] a medium was taken out by: " << step.name << "\n";
    mediumOut = mediumOut || step.mediumOut;
  }
  if (mediumOut) return;

  std::set<int> every;
  for (int slot = 0; slot < kMusicDevicePlugin2004SlotCount; ++slot) every.insert(slot);
  EXPECT_EQ(script.SlotsDriven(), every);
  // Only the slots the plug-in leaves unimplemented answer E_NOTIMPL.
  const std::set<int> unimplemented = {16, 17, 18, 20, 28, 35, 39, 40, 41, 46, 47, 48};
  for (const SlotAnswer& answer : script.Answers())
    if (answer.answer == E_NOTIMPL) {
      EXPECT_TRUE(unimplemented.count(answer.slot)) << answer.step << " slot " << answer.slot;
    }
}

// Planted faults: a platform failure the plug-in must pass on, and a report
// the host never hears of. Each must show as a problem of the step that met
// it, and the session must still end with nothing left alive.
TEST_F(HostScriptTest, SessionNoticesWrongAnswersAndMissingReports) {
  const struct {
    const char* name;
    std::string step;  // where the fault is planted
    std::set<HostEvent::Kind> missed;
    wmdm_standin::ObjectKind kind;
    const char* method;
    HRESULT fault;
    std::string expectStep, expectWords;
  } cases[] = {
      {"erase refused", "erase the card", {}, ObjectKind::Storage, "Delete", E_FAIL, "erase the card",
       "Erase answered 0x80040012"},
      {"folder refused", "make a folder", {}, ObjectKind::Storage, "Insert", HRESULT_FROM_WIN32(ERROR_DISK_FULL),
       "make a folder", "CreateFolder answered 0x80040011"},
      {"format never reported", "", {HostEvent::kOperationEnded}, ObjectKind::Storage, nullptr, S_OK,
       "format the memory", "no OperationEnded(34)"},
      {"new playlist never reported", "", {HostEvent::kContentAdded}, ObjectKind::Storage, nullptr, S_OK,
       "make a playlist", "no ContentAdded"},
      {"reorder never reported", "", {HostEvent::kPlaylistChanged}, ObjectKind::Storage, nullptr, S_OK,
       "reorder the playlist", "did not carry the reversal"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptOptions options = Options();
    options.hotplug = false;
    options.missed = c.missed;
    if (c.method)
      options.beforeStep = [&c](const std::string& step, wmdm_standin::PlayerModel& players) {
        if (step == c.step) players.Faults().Inject(c.kind, c.method, c.fault, wmdm_standin::kEveryCall);
        else players.Faults().ClearFaults();
      };
    HostScript script(options);
    EXPECT_FALSE(script.Run());
    EXPECT_TRUE(HasProblem(script, c.expectStep, c.expectWords)) << Joined(script.Problems());
    EXPECT_TRUE(script.Steps().back().ran) << "the stop step always runs";
    EXPECT_FALSE(HasProblem(script, "stop", "alive")) << Joined(script.Problems());
  }
}

// Each step runs in its turn, and a step that breaks the session leaves only
// the stop step to run.
TEST_F(HostScriptTest, BrokenStartSkipsToStop) {
  ScriptOptions options = Options();
  options.beforeStep = [](const std::string& step, wmdm_standin::PlayerModel& players) {
    if (step == "start")
      players.Faults().Inject(ObjectKind::DeviceManager, "EnumDevices2", E_FAIL, wmdm_standin::kEveryCall);
  };
  HostScript script(options);
  script.Run();
  ASSERT_EQ(script.Steps().size(), HostScript::StepNames().size());
  std::vector<std::string> ran;
  for (const StepReport& step : script.Steps())
    if (step.ran) ran.push_back(step.name);
  EXPECT_EQ(ran.back(), "stop");
  EXPECT_FALSE(HasProblem(script, "stop", "alive")) << Joined(script.Problems());
}

}  // namespace
