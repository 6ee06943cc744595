// What must hold after every step of a host session, whatever the platform
// answered (faults planted, chaos, either kind of provider):
// - every answer the host received is one of the plug-in's documented codes
//   (E_NOTIMPL only from the slots it leaves unimplemented);
// - nothing left the players that the host did not name for removal in the
//   step (a delete's item and what lies below it, a replaced file, a wiped
//   medium; a medium taken out or a player unplugged takes its content
//   along), and nothing the host's listings never show (hidden or system
//   objects) unless a whole medium was wiped;
// - a send never leaves a partial file: a file appears only where a send
//   answered success, and holds every byte of a file the step sent.
// The lock and the objects left alive are checked by the session itself.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <wide_text.h>

#include "player_model.h"

struct SlotAnswer;

class SessionInvariants {
 public:
  // Notes what the players hold before a step.
  void Before(wmdm_standin::PlayerModel& players);
  // The host names `hostPath` on the medium called `medium` for removal
  // ("\" for the whole medium) in the step under way.
  void NameForRemoval(const WString& medium, const WString& hostPath);
  // The host sends the file at `nativePath` in the step under way; a new
  // file on a player must hold exactly the bytes of one such file.
  void NoteSent(const std::string& nativePath);
  // After the step: one sentence per broken rule. `answers` are the step's.
  std::vector<std::string> After(wmdm_standin::PlayerModel& players, const std::vector<SlotAnswer>& answers);

  // True for one of the codes the host's interface documents.
  static bool IsDocumentedAnswer(HRESULT hr, int slot);

 private:
  struct Held {
    wmdm_standin::ObjectId mediumId;  // media of two players may share a name
    WString medium;
    WString path;   // "\Music\a.mp3"
    bool unseen;    // hidden or system, itself or a folder above it
    bool file;
  };
  using Snapshot = std::map<wmdm_standin::ObjectId, Held>;
  static Snapshot Take(wmdm_standin::PlayerModel& players);
  bool Named(const Held& held) const;
  // The new file holds the whole of a file the step sent.
  bool Whole(wmdm_standin::PlayerModel& players, wmdm_standin::ObjectId id) const;

  Snapshot before_;
  bool taken_ = false;  // Before ran for the step under way
  std::vector<std::pair<WString, WString>> named_;
  std::vector<std::vector<BYTE>> sent_;  // the bytes of each file sent in the step
};
