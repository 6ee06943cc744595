#include "host_support/track_tags.h"

#include <taglib/fileref.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>

#include <exception>

namespace {

// TagLib answers an absent text as an empty one.
std::optional<WString> TextOf(const TagLib::String& text) {
  if (text.isEmpty()) return std::nullopt;
  return wide::FromUtf8(text.to8Bit(true));
}

}  // namespace

bool CanReadFileTags() { return true; }

bool ReadFileTags(const std::string& path, TrackTags* tags) {
  *tags = TrackTags();
  try {
    // Read-only: a file of the user's is only read (FileRef alone opens it
    // for writing where it may).
    TagLib::FileStream stream(path.c_str(), true);
    if (!stream.isOpen()) return false;
    TagLib::FileRef file(&stream, true, TagLib::AudioProperties::Fast);
    if (file.isNull()) return false;
    // The property map joins every tag the format holds (a WAV file's RIFF
    // INFO list as well as an ID3v2 chunk), where tag() gives only one.
    const TagLib::PropertyMap properties = file.file()->properties();
    const std::pair<const char*, std::optional<WString>*> texts[] = {
        {"TITLE", &tags->title}, {"ARTIST", &tags->artist}, {"ALBUM", &tags->album}, {"GENRE", &tags->genre}};
    for (const auto& [key, field] : texts) {
      const auto found = properties.find(key);
      if (found != properties.end() && !found->second.isEmpty()) *field = TextOf(found->second.front());
    }
    // "4" or "4/12": the number before the slash.
    const auto track = properties.find("TRACKNUMBER");
    if (track != properties.end() && !track->second.isEmpty()) {
      const int number = track->second.front().split("/").front().toInt();
      if (number > 0) tags->track = static_cast<LONG>(number);
    }
    if (TagLib::AudioProperties* audio = file.audioProperties()) {
      if (audio->bitrate() > 0) tags->bitrate = static_cast<LONG>(audio->bitrate()) * 1000;
      if (audio->lengthInSeconds() > 0) tags->duration = static_cast<LONG>(audio->lengthInSeconds());
    }
    return true;
  } catch (const std::exception&) {
    *tags = TrackTags();
    return false;
  }
}
