// PlayerView's edits: each checks its input, calls one slot, and answers
// with what was done or, refused, why in the words mdhost's commands use.
#include <unique_bstr.h>

#include "host_support/folder_players.h"
#include "host_support/host_item_id_list.h"
#include "mdhost/media_report.h"
#include "mdhost/refusal_words.h"
#include "mdhost/track_sender.h"
#include "serve/player_view.h"
#include "serve/request_input.h"


ApiAnswer PlayerView::Edited(HRESULT hr, const WString& location, const WString& path, const std::string& done) {
  listings_.clear();
  events_.Publish("changed", JsonText({{"location", wide::ToUtf8(location)}}));
  if (FAILED(hr))
    return ApiAnswer::Refused(409, "The player refused: " + EditFailureWords(session_.Plugin(), location, path, hr) + ".");
  return ApiAnswer::Ok({{"done", done}});
}

bool PlayerView::ReadEdit(const nlohmann::json& body, const char* pathName, bool entryAllowed, const char* nameName,
                          EditInput* input, ApiAnswer* refusal) {
  std::string error;
  if (!MediumField(body, &input->medium, refusal)) return false;
  if (!PathField(body, pathName, entryAllowed, &input->path, &error) ||
      (nameName && !TextField(body, nameName, &input->name, &error))) {
    *refusal = ApiAnswer::Refused(400, error);
    return false;
  }
  const std::string why = nameName ? NameRefusal(input->name) : std::string();
  if (why.empty()) return true;
  *refusal = ApiAnswer::Refused(400, "The medium " + why + ".");
  return false;
}

ApiAnswer PlayerView::Rename(const nlohmann::json& body) {
  EditInput in;
  ApiAnswer refusal;
  if (!ReadEdit(body, "path", false, "name", &in, &refusal)) return refusal;
  const HRESULT hr = session_.Plugin()->RenameItem(in.medium.location.c_str(), in.path.c_str(),
                                                   wide::FromUtf8(in.name).c_str());
  return Edited(hr, in.medium.location, in.path, "Renamed " + wide::ToUtf8(in.path) + " to " + in.name + ".");
}

ApiAnswer PlayerView::Delete(const nlohmann::json& body) {
  EditInput in;
  ApiAnswer refusal;
  if (!ReadEdit(body, "path", true, nullptr, &in, &refusal)) return refusal;
  if (in.path.empty()) return ApiAnswer::Refused(400, "The medium's root is not deleted; erase the medium instead.");
  const HRESULT hr = session_.Plugin()->DeleteItem(in.medium.location.c_str(), in.path.c_str());
  return Edited(hr, in.medium.location, in.path, "Deleted " + wide::ToUtf8(in.path) + ".");
}

ApiAnswer PlayerView::Make(const nlohmann::json& body,
                           HRESULT (kiMusicDevicePlugin2004::*slot)(const WCHAR*, const WCHAR*, const WCHAR*, BSTR*)) {
  EditInput in;
  ApiAnswer refusal;
  if (!ReadEdit(body, "parent", false, "name", &in, &refusal)) return refusal;
  UniqueBstr created;
  const HRESULT hr = (session_.Plugin()->*slot)(in.medium.location.c_str(), in.path.c_str(),
                                                wide::FromUtf8(in.name).c_str(), created.Put());
  return Edited(hr, in.medium.location, in.path, "Created " + wide::ToUtf8(created.ToString()) + ".");
}

ApiAnswer PlayerView::MakeFolder(const nlohmann::json& body) {
  return Make(body, &kiMusicDevicePlugin2004::CreateFolder);
}

ApiAnswer PlayerView::MakePlaylist(const nlohmann::json& body) {
  return Make(body, &kiMusicDevicePlugin2004::CreatePlaylist);
}

ApiAnswer PlayerView::Reorder(const nlohmann::json& body) {
  EditInput in;
  ApiAnswer refusal;
  if (!ReadEdit(body, "playlist", false, nullptr, &in, &refusal)) return refusal;
  const auto entries = body.find("entries");
  if (entries == body.end() || !entries->is_array() || entries->size() > 100000)
    return ApiAnswer::Refused(400, "The request needs \"entries\" as a list of the playlist's entries.");
  const WString prefix = in.path + W("|");
  std::vector<WString> ids;
  for (const auto& entry : *entries) {
    WString id;
    if (!entry.is_string() || !PathProblem(entry.get<std::string>(), true, &id).empty() ||
        id.compare(0, prefix.size(), prefix) != 0)
      return ApiAnswer::Refused(400, "Every entry must be one of this playlist's, as PLAYLIST|TRACK.");
    ids.push_back(id);
  }
  HostItemIdList list(std::move(ids));
  const HRESULT hr = session_.Plugin()->UpdatePlaylist(in.medium.location.c_str(), in.path.c_str(), &list);
  return Edited(hr, in.medium.location, in.path,
                "Set " + std::to_string(entries->size()) + " entries of " + wide::ToUtf8(in.path) + ".");
}

ApiAnswer PlayerView::Wipe(const nlohmann::json& body) {
  MediumName medium;
  ApiAnswer refusal;
  std::string action, typed, error;
  if (!MediumField(body, &medium, &refusal)) return refusal;
  if (!TextField(body, "action", &action, &error) || !TextField(body, "confirm", &typed, &error))
    return ApiAnswer::Refused(400, error);
  if (action != "erase" && action != "format") return ApiAnswer::Refused(400, "The action is erase or format.");
  UniqueBstr name;
  session_.Plugin()->GetMediaPropertyString(medium.location.c_str(), W("MediaDisplayName"), name.Put());
  const std::string shown = wide::ToUtf8(name.ToString());
  if (typed != shown)
    return ApiAnswer::Refused(400, "Type the medium's name, \"" + shown + "\", to " + action + " it; nothing was changed.");
  const HRESULT hr = action == "erase" ? session_.Plugin()->Erase(medium.location.c_str(), nextCookie_++)
                                       : session_.Plugin()->Format(medium.location.c_str(), nextCookie_++);
  return Edited(hr, medium.location, WString(), (action == "erase" ? "Erased " : "Formatted ") + shown + ".");
}

bool PlayerView::ConvertsOnSend(const std::string& location, const std::string& name) {
  MediumName medium;
  ApiAnswer refusal;
  return FindListed(location, &medium, &refusal) && ConvertsForPlayer(session_.Plugin(), medium.device, name);
}

ApiAnswer PlayerView::Send(const std::string& location, const WString& target, const std::string& file, DWORD mode,
                           const std::string& id) {
  MediumName medium;
  ApiAnswer refusal;
  if (!FindListed(location, &medium, &refusal)) return refusal;
  SourceFile source;
  if (!FindSourceFile(file, &source)) return ApiAnswer::Refused(500, "The received file is gone.");
  const std::string name = wide::ToUtf8(SentName(source));
  const std::string why = SendRefusal(session_.Plugin(), medium.device, name, source);
  auto done = [&](int status, const std::string& outcome, const std::string& sentence) {
    events_.Publish("send", JsonText({{"id", id}, {"stage", "done"}, {"outcome", outcome},
                                            {"sentence", sentence}}));
    return ApiAnswer{status, {{"outcome", outcome}, {status == 200 ? "done" : "error", sentence}}};
  };
  if (!why.empty()) return done(422, "refused", "refused " + name + ": " + why);
  events_.Publish("send", JsonText({{"id", id}, {"stage", "sending"}}));
  // The send empties the callback's record of what was taken in here, so
  // that is taken in first; what is left (an arrival since, then what the
  // send brought) is read from the start.
  Poll();
  const SentTrack sent =
      SendTrack(session_, medium.location, target, source, TrackTags{}, mode, nextCookie_++, seen_);
  seen_ = 0;
  std::string sentence = std::string(OutcomeWord(sent.outcome)) + " " + name +
                         SentDetail(session_.Plugin(), medium.location, target, source, sent);
  std::string error;
  if (sent.outcome != SendOutcome::kFailed && !FlushFolderPlayers(&error))
    sentence += " (not confirmed written: " + error + ")";
  Edited(S_OK, medium.location, target, std::string());
  return done(sent.outcome == SendOutcome::kFailed ? 409 : 200, OutcomeWord(sent.outcome), sentence);
}
