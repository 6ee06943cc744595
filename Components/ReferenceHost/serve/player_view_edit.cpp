// PlayerView's edits: each checks its input, calls one slot, and answers
// with what was done or, refused, why in the words mdhost's commands use.
#include <unique_bstr.h>

#include "host_support/folder_players.h"
#include "host_support/host_item_id_list.h"
#include "mdhost/media_report.h"
#include "mdhost/player_formats.h"
#include "mdhost/refusal_words.h"
#include "mdhost/track_sender.h"
#include "serve/hidden_names.h"
#include "serve/player_view.h"
#include "serve/request_input.h"

namespace {

// "TRACK.mp3" of "\\Mix.m3u8|\\Music\\TRACK.mp3".
std::string NameOfEntry(const std::string& id) { return id.substr(id.find_last_of("|\\") + 1); }

// The medium's free bytes; false when the player does not say.
bool FreeBytes(kiMusicDevicePlugin2004* plugin, const WString& location, std::uint64_t* free) {
  LONG high = 0, low = 0;
  if (plugin->GetMediaPropertyLong(location.c_str(), W("MediaSpaceFreeHi"), &high) != S_OK ||
      plugin->GetMediaPropertyLong(location.c_str(), W("MediaSpaceFreeLo"), &low) != S_OK)
    return false;
  *free = (static_cast<std::uint64_t>(static_cast<ULONG>(high)) << 32) | static_cast<ULONG>(low);
  return true;
}

ApiAnswer Refusal(const std::string& name, const std::string& why) {
  return ApiAnswer{422, {{"outcome", "refused"}, {"error", "refused " + name + ": " + why}}};
}

}  // namespace

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
  ItemReport item;
  const bool folder = SUCCEEDED(ReadItem(session_.Plugin(), in.medium.location, in.path, &item)) && item.kind == 1;
  const std::string oldName = wide::ToUtf8(in.path.substr(in.path.rfind(W('\\')) + 1));
  const std::string hides = RenameHidingProblem(folder, oldName, in.name);
  if (!hides.empty())
    return ApiAnswer::Refused(400, "Not renamed: " + hides + ". \"" + oldName + "\" is unchanged.");
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
  const std::string hidden = HiddenNameProblem(in.name);
  if (!hidden.empty()) return ApiAnswer::Refused(400, "Nothing was created: " + hidden + ".");
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
  if (body.contains("move")) return MoveEntry(in, body["move"]);
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

// The playlist's entries as the player holds them now, with one moved: a
// playlist of any length is reordered without the page having listed it
// whole. The entry named must still be where the page saw it.
ApiAnswer PlayerView::MoveEntry(const EditInput& in, const nlohmann::json& move) {
  unsigned long from = 0, to = 0;
  const auto number = [&](const char* name, unsigned long* value) {
    const auto found = move.find(name);
    if (found == move.end() || !found->is_number_unsigned()) return false;
    *value = found->get<unsigned long>();
    return true;
  };
  const auto entry = move.is_object() ? move.find("entry") : move.end();
  if (!move.is_object() || entry == move.end() || !entry->is_string() || !number("from", &from) || !number("to", &to))
    return ApiAnswer::Refused(400, "A move needs the entry, and the places it moves from and to.");
  std::vector<ItemReport> items;
  const HRESULT listed = ListItems(session_.Plugin(), in.medium.location, in.path, &items);
  if (FAILED(listed))
    return ApiAnswer::Refused(409, "The player could not list " + wide::ToUtf8(in.path) + ": " + FailureWords(listed) + ".");
  if (from >= items.size() || to >= items.size() || items[from].location != entry->get<std::string>())
    return ApiAnswer::Refused(409, "The playlist changed since the page listed it; nothing was moved. Try again.");
  std::vector<WString> ids;
  for (const ItemReport& item : items) ids.push_back(wide::FromUtf8(item.location));
  const WString moved = ids[from];
  ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(from));
  ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(to), moved);
  HostItemIdList list(std::move(ids));
  const HRESULT hr = session_.Plugin()->UpdatePlaylist(in.medium.location.c_str(), in.path.c_str(), &list);
  return Edited(hr, in.medium.location, in.path,
                "Moved " + NameOfEntry(entry->get<std::string>()) + " to place " + std::to_string(to + 1) + " of " +
                    std::to_string(items.size()) + " in " + wide::ToUtf8(in.path) + ".");
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

// A file that will be converted is judged by its MP3, not by its own format
// or size (a FLAC often takes twice the room its MP3 will).
ApiAnswer PlayerView::AdmitSend(const std::string& location, const std::string& name, std::uint64_t size) {
  MediumName medium;
  ApiAnswer refusal;
  if (!FindListed(location, &medium, &refusal)) return refusal;
  if (ConvertsForPlayer(session_.Plugin(), medium.device, name)) return ApiAnswer::Ok({});
  std::string why;
  if (PlayerRefusesFormat(session_.Plugin(), medium.device, name, &why)) return Refusal(name, why);
  std::uint64_t free = 0;
  if (size != 0 && FreeBytes(session_.Plugin(), medium.location, &free) && size > free)
    return Refusal(name, "it takes " + std::to_string(size) + " bytes and the medium has " + std::to_string(free) +
                             " bytes free");
  return ApiAnswer::Ok({});
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
