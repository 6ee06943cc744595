#include "e2e/session_invariants.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include <ipp_result_codes.h>

#include "e2e/host_script.h"
#include "e2e/media_taken_out.h"

namespace {

const int kUnimplementedSlots[] = {16, 17, 18, 20, 28, 35, 39, 40, 41, 46, 47, 48};
constexpr int kDownloadFileSlot = 27;

const HRESULT kDocumentedCodes[] = {
    IPP_S_OK,           IPP_S_FALSE,     IPP_S_BUSY,     IPP_E_NOTSUPPORTED,  IPP_E_DISKFULL,
    IPP_E_FAIL,         IPP_E_STALE,     IPP_E_UNKNOWNPROPERTY, IPP_E_NOTFOUND, IPP_E_ALREADYEXISTS,
    static_cast<HRESULT>(0x80040017L), static_cast<HRESULT>(0x80040018L), IPP_E_CANCELLED, IPP_E_CANNOTCREATE,
};

bool Unseen(DWORD attributes) { return (attributes & (WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM)) != 0; }

std::string Hex(HRESULT hr) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << static_cast<ULONG>(hr);
  return text.str();
}

bool IsAtOrBelow(const WString& path, const WString& top) {
  if (top == W("\\")) return true;
  return path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == W('\\'));
}

}  // namespace

bool SessionInvariants::IsDocumentedAnswer(HRESULT hr, int slot) {
  if (hr == E_NOTIMPL) return std::count(std::begin(kUnimplementedSlots), std::end(kUnimplementedSlots), slot) != 0;
  return std::count(std::begin(kDocumentedCodes), std::end(kDocumentedCodes), hr) != 0;
}

SessionInvariants::Snapshot SessionInvariants::Take(wmdm_standin::PlayerModel& players) {
  Snapshot held;
  auto lock = players.Lock();
  wmdm_standin::ObjectId mediumId = 0;
  std::function<void(const wmdm_standin::ModelObject&, const WString&, const WString&, bool)> walk =
      [&](const wmdm_standin::ModelObject& object, const WString& medium, const WString& path, bool unseen) {
        for (const auto& child : object.children) {
          if (!child || child->deleted) continue;
          const WString childPath = (path == W("\\") ? path : path + W("\\")) + child->name;
          const bool childUnseen = unseen || Unseen(child->attributes);
          held[child->id] = Held{mediumId, medium, childPath, childUnseen, !child->IsFolder()};
          walk(*child, medium, childPath, childUnseen);
        }
      };
  for (const auto& device : players.PresentDevices())
    for (const auto& medium : device->media)
      if (medium->present && medium->root) {
        mediumId = medium->id;
        walk(*medium->root, medium->description.name, W("\\"), false);
      }
  return held;
}

void SessionInvariants::Before(wmdm_standin::PlayerModel& players) {
  before_ = Take(players);
  named_.clear();
  sent_.clear();
  taken_ = true;
}

void SessionInvariants::NoteSent(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  sent_.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SessionInvariants::Whole(wmdm_standin::PlayerModel& players, wmdm_standin::ObjectId id) const {
  const auto object = players.Inspect(id);
  if (!object) return true;  // gone again within the step
  // A store that keeps no bytes of its own is judged by the size it reports.
  return std::any_of(sent_.begin(), sent_.end(), [&](const std::vector<BYTE>& source) {
    return object->bytes.empty() ? object->size == source.size() : object->bytes == source;
  });
}

void SessionInvariants::NameForRemoval(const WString& medium, const WString& hostPath) {
  named_.emplace_back(medium, hostPath);
}

bool SessionInvariants::Named(const Held& held) const {
  for (const auto& [medium, top] : named_)
    if (medium == held.medium && IsAtOrBelow(held.path, top) && (!held.unseen || top == W("\\"))) return true;
  return false;
}

std::vector<std::string> SessionInvariants::After(wmdm_standin::PlayerModel& players,
                                                  const std::vector<SlotAnswer>& answers) {
  std::vector<std::string> broken;
  int sent = 0;
  for (const SlotAnswer& answer : answers) {
    if (!IsDocumentedAnswer(answer.answer, answer.slot))
      broken.push_back("invariant: slot " + std::to_string(answer.slot) + " answered " + Hex(answer.answer) +
                       ", no documented code");
    if (answer.slot == kDownloadFileSlot && answer.answer == S_OK) ++sent;
  }
  // The step that made the players has nothing to compare with.
  if (!taken_) return broken;
  taken_ = false;
  const Snapshot after = Take(players);
  const PresentMedia present = MediaPresent(players);
  for (const auto& [id, held] : before_) {
    // A player unplugged or a medium taken out took its content along;
    // nothing was removed.
    if (after.count(id) || !present.count(held.mediumId)) continue;
    if (!Named(held))
      broken.push_back("invariant: " + wide::ToUtf8(held.medium + held.path) + " went, which the host " +
                       (held.unseen ? "never saw" : "did not name"));
  }
  int newFiles = 0;
  for (const auto& [id, held] : after) {
    if (before_.count(id) || !held.file) continue;
    ++newFiles;
    // A step that sent nothing (one that made a playlist) has no bytes to compare with.
    if (!sent_.empty() && !Whole(players, id))
      broken.push_back("invariant: " + wide::ToUtf8(held.medium + held.path) + " is partial");
  }
  // Playlists are made as files too; a step that made any sends none.
  const bool madePlaylist = std::any_of(answers.begin(), answers.end(), [](const SlotAnswer& answer) {
    return answer.slot == 24 && answer.answer == S_OK;
  });
  if (!madePlaylist && newFiles > sent)
    broken.push_back("invariant: " + std::to_string(newFiles - sent) + " file(s) appeared without a successful send");
  return broken;
}
