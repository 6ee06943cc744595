// A whole host session against the plug-in module, as a music-library
// application runs one: load the module at run time, initialise, register the
// callback, list devices and read every property, list media and read theirs,
// browse, send a track, make and reorder a playlist, rename, delete, erase,
// format, watch a player come and go, shut down. Every one of the module's 49
// slots is driven; each step checks the answers and the callbacks it caused,
// and the end checks that no object of the WMDM stand-in is left alive.
//
// The script is a table of steps run in order, so that a test can run it
// once, or rerun it many times with a platform fault planted before a step.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <ki_music_device_plugin2004.h>
#include <wide_text.h>

#include "e2e/session_invariants.h"
#include "host_support/host_callback.h"
#include "player_model.h"

struct ScriptOptions {
  // The folder holding the tracks the session sends ("Harbour Bell.wav").
  std::string tracksFolder;
  // Connect and remove a player while attached and wait for the plug-in's
  // worker to report both (about two seconds of waiting).
  bool hotplug = true;
  // Callback reports the host pretends not to receive: a session that
  // misses one must say so.
  std::set<HostEvent::Kind> missed;
  // Called before each step with the step's name and the stand-in's players:
  // the place to plant a platform fault.
  std::function<void(const std::string& step, wmdm_standin::PlayerModel& players)> beforeStep;
  // Called around every slot call: its index in the session (the same on
  // every run until something goes differently), its slot and its answer.
  std::function<void(size_t call, int slot, wmdm_standin::PlayerModel& players)> beforeCall;
  std::function<void(size_t call, int slot, HRESULT answer, wmdm_standin::PlayerModel& players)> afterCall;
  // Called after each step, while the players still exist (for the last
  // step: after the shutdown, before they go).
  std::function<void(const std::string& step, wmdm_standin::PlayerModel& players)> afterStep;
};

// One slot call: in which step, which slot, what it answered.
struct SlotAnswer {
  std::string step;
  int slot;
  HRESULT answer;
};

struct StepReport {
  std::string name;
  bool ran = false;
  // A medium the step needs was taken out (chaos): before the step, which
  // then did not run, or during it, whose own checks were then set aside
  // (the invariants still hold it).
  bool mediumOut = false;
  std::vector<std::string> problems;
};

class HostScript {
 public:
  explicit HostScript(ScriptOptions options);
  ~HostScript();
  HostScript(const HostScript&) = delete;
  HostScript& operator=(const HostScript&) = delete;

  // Runs the session once, start to end; true when no step found a problem.
  bool Run();

  const std::vector<StepReport>& Steps() const { return steps_; }
  const std::vector<SlotAnswer>& Answers() const { return answers_; }
  // "step: problem", every problem of every step.
  std::vector<std::string> Problems() const;
  // The slots called at least once.
  std::set<int> SlotsDriven() const;
  // The names of the steps, in order.
  static std::vector<std::string> StepNames();

 private:
  class Callback;
  // What of the Aurora a step works on; it does not run once that is taken out.
  enum class Needs { Nothing, Memory, Card, BothMedia };
  struct Step {
    const char* name;
    void (HostScript::*run)();
    Needs needs;
  };
  static const std::vector<Step>& Table();

  // Makes one slot call, with the hooks around it, and records its answer.
  HRESULT Call(int slot, const std::function<HRESULT()>& call);
  // The same, with a problem when the answer is not `expected`.
  bool Expect(int slot, const std::function<HRESULT()>& call, HRESULT expected, const std::string& what);
  bool Check(bool holds, const std::string& problem);
  std::vector<HostEvent> Events(HostEvent::Kind kind) const;

  // The steps, in the order the table runs them.
  void LoadModule();
  void AskBeforeStart();
  void Start();
  void ListDevices();
  void ReadDeviceProperties();
  void ReadMediaProperties();
  void AnswerFixedSlots();
  void Browse();
  void MakeFolder();
  void SendTrack();
  void SendAgain();
  void SendOntoPlaylist();
  void MakePlaylist();
  void ReorderPlaylist();
  void Rename();
  void Delete();
  void Hotplug();
  void EraseCard();
  void FormatMemory();
  void Stop();

  // Helpers of the steps.
  std::vector<DWORD> DeviceNumbers();
  std::vector<WString> MediaOf(DWORD device);
  struct Listed {
    WString location;
    LONG kind;
    LONG order;
  };
  HRESULT List(const WString& path, std::vector<Listed>* items);
  bool ItemNamed(const std::vector<Listed>& items, const WString& path) const;
  bool LockIsFree();
  // The Aurora's medium called `name` was taken out (chaos), or what `needs` is.
  bool TakenOut(const WCHAR* name);
  bool TakenOut(Needs needs);
  // Runs one step that may run, between the hooks, and checks the invariants after it.
  void RunStep(const Step& step);
  // The session's invariants (e2e/session_invariants.h) after the step that
  // made the answers from `firstAnswer` on.
  void CheckInvariants(size_t firstAnswer);

  ScriptOptions options_;
  std::vector<StepReport> steps_;
  std::vector<SlotAnswer> answers_;
  StepReport* current_ = nullptr;
  bool stopped_ = false;  // a step could not leave the session usable
  SessionInvariants invariants_;

  struct Host;  // COM, the settings store, the stand-in, the module
  std::unique_ptr<Host> host_;
  std::unique_ptr<Callback> callback_;
  kiMusicDevicePlugin2004* plugin_ = nullptr;
  bool started_ = false;
  DWORD aurora_ = 0;        // the Aurora MX-20's device number
  WString memory_, card_;   // its two media locations
  WString sentPath_;        // the sent track's host path
};
