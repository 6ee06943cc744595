#include "host_support/track_tags.h"

namespace {

template <typename T>
std::optional<T> Either(const std::optional<T>& preferred, const std::optional<T>& fallback) {
  return preferred ? preferred : fallback;
}

}  // namespace

TrackTags MergeTags(const TrackTags& preferred, const TrackTags& fallback) {
  TrackTags merged;
  merged.title = Either(preferred.title, fallback.title);
  merged.artist = Either(preferred.artist, fallback.artist);
  merged.album = Either(preferred.album, fallback.album);
  merged.genre = Either(preferred.genre, fallback.genre);
  merged.track = Either(preferred.track, fallback.track);
  merged.rating = Either(preferred.rating, fallback.rating);
  merged.bitrate = Either(preferred.bitrate, fallback.bitrate);
  merged.duration = Either(preferred.duration, fallback.duration);
  return merged;
}

void FillTrackItem(const TrackTags& tags, kiIPPItem* item) {
  if (!item) return;
  item->Clear();
  item->SetKind(4);
  if (tags.title) item->SetTitle(tags.title->c_str());
  if (tags.artist) item->SetArtist(tags.artist->c_str());
  if (tags.album) item->SetAlbum(tags.album->c_str());
  if (tags.genre) item->SetGenre(tags.genre->c_str());
  if (tags.bitrate) item->SetBitrate(*tags.bitrate);
  if (tags.duration) item->SetDuration(*tags.duration);
  if (tags.track) item->SetPropertyLong(kItemTrackNumber, *tags.track);
  if (tags.rating) item->SetPropertyLong(kItemTrackRanking, *tags.rating);
}
