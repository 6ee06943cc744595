#include "playlist_file.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>

namespace wmdm_standin {
namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Joined(const std::vector<std::string>& names) {
  std::string path;
  for (const std::string& name : names) path += "/" + name;
  return path;
}

std::shared_ptr<ModelObject> Lookup(const PlayerModel& model, const std::shared_ptr<ModelObject>& from,
                                    const std::vector<std::string>& names) {
  std::shared_ptr<ModelObject> current = from;
  for (const std::string& name : names) {
    if (!current) return nullptr;
    current = model.ChildNamed(*current, wide::FromUtf8(name));
  }
  return current;
}

WString DisplayTitle(const ModelObject& track) {
  WString author, title;
  for (const ModelTag& tag : track.tags) {
    if (tag.name == g_wszWMDMAuthor) tag.AsString(&author);
    if (tag.name == g_wszWMDMTitle) tag.AsString(&title);
  }
  if (title.empty()) return track.name;
  return author.empty() ? title : author + W(" - ") + title;
}

long long SecondsOf(const ModelObject& track) {
  const ModelTag* duration = track.FindTag(g_wszWMDMDuration);
  if (!duration || duration->value.size() != sizeof(ULONGLONG)) return -1;
  ULONGLONG hundredsOfNanoseconds = 0;
  std::memcpy(&hundredsOfNanoseconds, duration->value.data(), sizeof(hundredsOfNanoseconds));
  return static_cast<long long>(hundredsOfNanoseconds / 10000000);
}

// For each new position, the old entry it keeps (-1: a new entry), taking a
// track's occurrences in order; and which of those stay in place: the
// longest run that keeps the old order. The others are moved.
void MatchInOrder(const std::vector<const ModelObject*>& oldTargets, const std::vector<const ModelObject*>& tracks,
                  std::vector<long>* matched, std::vector<bool>* inPlace) {
  std::map<const ModelObject*, std::deque<size_t>> unused;
  for (size_t i = 0; i < oldTargets.size(); ++i) unused[oldTargets[i]].push_back(i);
  matched->assign(tracks.size(), -1);
  for (size_t j = 0; j < tracks.size(); ++j) {
    auto found = unused.find(tracks[j]);
    if (found == unused.end() || found->second.empty()) continue;
    (*matched)[j] = static_cast<long>(found->second.front());
    found->second.pop_front();
  }
  std::vector<size_t> tails;  // tails[k]: the last position of the best run of length k + 1
  std::vector<long> previous(tracks.size(), -1);
  for (size_t j = 0; j < tracks.size(); ++j) {
    if ((*matched)[j] < 0) continue;
    const auto at = std::lower_bound(tails.begin(), tails.end(), (*matched)[j],
                                     [&](size_t k, long value) { return (*matched)[k] < value; });
    previous[j] = at == tails.begin() ? -1 : static_cast<long>(*(at - 1));
    if (at == tails.end())
      tails.push_back(j);
    else
      *at = j;
  }
  inPlace->assign(tracks.size(), false);
  for (long j = tails.empty() ? -1 : static_cast<long>(tails.back()); j >= 0; j = previous[j]) (*inPlace)[j] = true;
}

}  // namespace

bool IsBelowOrSame(const ModelObject& object, const ModelObject& ancestor) {
  for (const ModelObject* at = &object; at; at = at->parent.lock().get())
    if (at == &ancestor) return true;
  return false;
}

void ForEachPlaylist(const ModelObject& root, const std::function<void(const ModelObject&)>& visit) {
  DWORD code = 0;
  const ModelTag* format = root.FindTag(g_wszWMDMFormatCode);
  if (!root.IsFolder() && format && format->AsDword(&code) && code == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST)
    visit(root);
  for (const auto& child : root.children) ForEachPlaylist(*child, visit);
}

PlaylistFile::PlaylistFile(const PlayerModel& model, const ModelObject& playlist, std::string mediumPath,
                           const PendingRename* rename)
    : playlist_(playlist), mediumPath_(std::move(mediumPath)), rename_(rename) {
  Read(model);
}

std::vector<std::string> PlaylistFile::NamesOf(const ModelObject& object) const {
  std::vector<std::string> names;
  for (const ModelObject* at = &object; at && !at->isRoot; at = at->parent.lock().get())
    names.push_back(wide::ToUtf8(rename_ && at == rename_->object ? rename_->newName : at->name));
  std::reverse(names.begin(), names.end());
  return names;
}

void PlaylistFile::Read(const PlayerModel& model) {
  path_ = mediumPath_ + Joined(NamesOf(playlist_));
  original_ = ReadWhole(path_);
  text_ = ReadM3u(original_);
  // The entries were written against the tree as the model still has it.
  std::vector<std::string> folder;
  for (const ModelObject* at = playlist_.parent.lock().get(); at && !at->isRoot; at = at->parent.lock().get())
    folder.insert(folder.begin(), wide::ToUtf8(at->name));
  const auto root = playlist_.medium ? playlist_.medium->root : nullptr;
  for (size_t piece = 0; piece < text_.pieces.size(); ++piece) {
    if (!text_.pieces[piece].entry || !root) continue;
    for (const LocationReading& reading : ReadLocation(text_.pieces[piece].location, folder, mediumPath_)) {
      const auto found = Lookup(model, root, reading.names);
      if (!found || found->IsFolder()) continue;
      entries_.push_back(Entry{piece, found.get(), reading.form});
      break;
    }
  }
}

std::vector<ObjectId> PlaylistFile::Targets() const {
  std::vector<ObjectId> ids;
  for (const Entry& entry : entries_) ids.push_back(entry.target->id);
  return ids;
}

M3uPiece PlaylistFile::NewEntry(ModelObject& track, const std::function<void(ModelObject&)>& readTags) {
  // The line's title and length come from the track's tags.
  readTags(track);
  const auto parent = playlist_.parent.lock();
  const std::string location = WriteLocation(LocationForm{}, NamesOf(track),
                                             parent ? NamesOf(*parent) : std::vector<std::string>(), mediumPath_);
  return NewM3uEntry(&text_, location, wide::ToUtf8(DisplayTitle(track)), SecondsOf(track));
}

void PlaylistFile::SetEntries(const std::vector<const ModelObject*>& tracks,
                              const std::function<void(ModelObject&)>& readTags) {
  std::vector<const ModelObject*> oldTargets;
  for (const Entry& entry : entries_) oldTargets.push_back(entry.target);
  std::vector<long> matched;
  std::vector<bool> inPlace;
  MatchInOrder(oldTargets, tracks, &matched, &inPlace);

  // New entries first: one may turn a Windows-1252 text to UTF-8, and then
  // every new entry is written again in UTF-8.
  std::vector<M3uPiece> fresh(tracks.size());
  const auto makeFresh = [&] {
    for (size_t j = 0; j < tracks.size(); ++j)
      if (matched[j] < 0) fresh[j] = NewEntry(const_cast<ModelObject&>(*tracks[j]), readTags);
  };
  const bool wasWindows1252 = text_.windows1252;
  makeFresh();
  if (wasWindows1252 && !text_.windows1252) makeFresh();

  std::vector<long> newOfOld(entries_.size(), -1), entryOfPiece(text_.pieces.size(), -1);
  for (size_t j = 0; j < tracks.size(); ++j)
    if (inPlace[j]) newOfOld[matched[j]] = static_cast<long>(j);
  for (size_t i = 0; i < entries_.size(); ++i) entryOfPiece[entries_[i].piece] = static_cast<long>(i);
  std::vector<M3uPiece> pieces;
  std::vector<Entry> entries;
  size_t next = 0;
  const auto emit = [&](size_t j) {
    const Entry* kept = matched[j] < 0 ? nullptr : &entries_[matched[j]];
    pieces.push_back(kept ? text_.pieces[kept->piece] : fresh[j]);
    entries.push_back(Entry{pieces.size() - 1, tracks[j], kept ? kept->form : LocationForm{}});
  };
  if (original_.empty() && !tracks.empty()) pieces.push_back(M3uPiece{"#EXTM3U" + text_.lineEnd});
  for (size_t piece = 0; piece < text_.pieces.size(); ++piece) {
    const long old = entryOfPiece[piece];
    if (old < 0) {
      pieces.push_back(text_.pieces[piece]);  // no entry of the medium's: stays where it is
      continue;
    }
    if (newOfOld[old] < 0) continue;  // gone, or moved elsewhere
    while (next <= static_cast<size_t>(newOfOld[old])) emit(next++);
  }
  while (next < tracks.size()) emit(next++);
  text_.pieces = std::move(pieces);
  entries_ = std::move(entries);
}

void PlaylistFile::DropEntriesIn(const ModelObject& removed) {
  std::vector<bool> dropped(text_.pieces.size(), false);
  for (const Entry& entry : entries_) dropped[entry.piece] = IsBelowOrSame(*entry.target, removed);
  std::vector<M3uPiece> pieces;
  std::vector<Entry> entries;
  size_t next = 0;
  for (size_t piece = 0; piece < text_.pieces.size(); ++piece) {
    if (dropped[piece]) continue;
    pieces.push_back(text_.pieces[piece]);
    while (next < entries_.size() && entries_[next].piece < piece) ++next;
    if (next < entries_.size() && entries_[next].piece == piece)
      entries.push_back(Entry{pieces.size() - 1, entries_[next].target, entries_[next].form});
  }
  text_.pieces = std::move(pieces);
  entries_ = std::move(entries);
}

void PlaylistFile::FollowRename() {
  if (!rename_) return;
  const auto parent = playlist_.parent.lock();
  const std::vector<std::string> folder = parent ? NamesOf(*parent) : std::vector<std::string>();
  // A location relative to the playlist's own folder still holds when the
  // playlist moved along with what it names.
  const bool movedAlong = IsBelowOrSame(playlist_, *rename_->object);
  for (const Entry& entry : entries_) {
    if (!IsBelowOrSame(*entry.target, *rename_->object)) continue;
    if (movedAlong && entry.form.anchor == LocationAnchor::PlaylistFolder) continue;
    Relocate(&text_, &text_.pieces[entry.piece], WriteLocation(entry.form, NamesOf(*entry.target), folder, mediumPath_));
  }
}

std::optional<std::string> PlaylistFile::ChangedText() const {
  std::string text = text_.Bytes();
  if (text == original_) return std::nullopt;
  return text;
}

}  // namespace wmdm_standin
