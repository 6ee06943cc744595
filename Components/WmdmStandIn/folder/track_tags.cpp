#include "track_tags.h"

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <cstring>
#include <fstream>
#include <utility>

namespace wmdm_standin {
namespace {

// The platform's text tags and the names TagLib gives them in every format.
const std::pair<const WCHAR*, const char*> kTextTags[] = {
    {g_wszWMDMTitle, "TITLE"},        {g_wszWMDMAuthor, "ARTIST"}, {g_wszWMDMAlbumTitle, "ALBUM"},
    {g_wszWMDMAlbumArtist, "ALBUMARTIST"}, {g_wszWMDMGenre, "GENRE"}, {g_wszWMDMYear, "DATE"},
};

WString ToWide(const TagLib::String& text) { return wide::FromUtf8(text.to8Bit(true)); }

TagLib::String ToTagLib(const WString& text) { return TagLib::String(wide::ToUtf8(text), TagLib::String::UTF8); }

WORD WaveTagOf(DWORD formatCode) {
  switch (formatCode) {
    case WMDM_FORMATCODE_MP3: return 0x0055;
    case WMDM_FORMATCODE_WMA: return 0x0161;
    case WMDM_FORMATCODE_WAVE: return 0x0001;
    default: return 0;
  }
}

// The leading number of "3/12" or "2004-06-01".
DWORD LeadingNumber(const TagLib::String& text) {
  DWORD number = 0;
  for (char c : text.to8Bit(true)) {
    if (c < '0' || c > '9') break;
    number = number * 10 + static_cast<DWORD>(c - '0');
  }
  return number;
}

// Asked of every listed file: compared in place, ASCII case aside
// (`extension` is given in lower case).
bool HasExtension(const WString& name, const WCHAR* extension) {
  size_t length = 0;
  while (extension[length]) ++length;
  if (name.size() <= length) return false;
  const WCHAR* tail = name.data() + name.size() - length;
  for (size_t i = 0; i < length; ++i) {
    WCHAR c = tail[i];
    if (c >= W('A') && c <= W('Z')) c = static_cast<WCHAR>(c - W('A') + W('a'));
    if (c != extension[i]) return false;
  }
  return true;
}

}  // namespace

DWORD FormatCodeOfName(const WString& name) {
  static const std::pair<const WCHAR*, DWORD> kExtensions[] = {
      {W(".mp3"), WMDM_FORMATCODE_MP3},   {W(".wma"), WMDM_FORMATCODE_WMA},  {W(".asf"), WMDM_FORMATCODE_WMA},
      {W(".wav"), WMDM_FORMATCODE_WAVE},  {W(".flac"), WMDM_FORMATCODE_FLAC}, {W(".ogg"), WMDM_FORMATCODE_OGG},
      {W(".oga"), WMDM_FORMATCODE_OGG},   {W(".m4a"), WMDM_FORMATCODE_MP4},  {W(".mp4"), WMDM_FORMATCODE_MP4},
      {W(".m3u8"), WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST}, {W(".m3u"), WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST},
  };
  for (const auto& [extension, code] : kExtensions)
    if (HasExtension(name, extension)) return code;
  return 0;
}

void ReadTrackDetails(const std::string& path, const WString& name, std::vector<ModelTag>* tags,
                      _WAVEFORMATEX* format) {
  tags->clear();
  *format = _WAVEFORMATEX{};
  const DWORD formatCode = FormatCodeOfName(name);
  if (formatCode) tags->push_back(ModelTag::Dword(g_wszWMDMFormatCode, formatCode));
  if (!formatCode || formatCode == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST) return;

  TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (file.isNull()) return;
  const TagLib::PropertyMap properties = file.file()->properties();
  for (const auto& [tagName, key] : kTextTags) {
    auto found = properties.find(key);
    if (found != properties.end() && !found->second.isEmpty() && !found->second.front().isEmpty())
      tags->push_back(ModelTag::String(tagName, ToWide(found->second.front())));
  }
  auto track = properties.find("TRACKNUMBER");
  if (track != properties.end() && !track->second.isEmpty() && LeadingNumber(track->second.front()))
    tags->push_back(ModelTag::Dword(g_wszWMDMTrack, LeadingNumber(track->second.front())));

  if (const TagLib::AudioProperties* audio = file.audioProperties()) {
    tags->push_back(ModelTag::Qword(g_wszWMDMDuration, static_cast<ULONGLONG>(audio->lengthInMilliseconds()) * 10000));
    const DWORD bitrate = static_cast<DWORD>(audio->bitrate()) * 1000;
    if (bitrate) tags->push_back(ModelTag::Dword(g_wszWMDMBitrate, bitrate));
    if (audio->sampleRate()) tags->push_back(ModelTag::Dword(g_wszWMDMSampleRate, audio->sampleRate()));
    if (audio->channels()) tags->push_back(ModelTag::Dword(g_wszWMDMNumChannels, audio->channels()));
    format->wFormatTag = WaveTagOf(formatCode);
    format->nChannels = static_cast<WORD>(audio->channels());
    format->nSamplesPerSec = static_cast<DWORD>(audio->sampleRate());
    format->nAvgBytesPerSec = bitrate / 8;
    if (formatCode == WMDM_FORMATCODE_WAVE) format->wBitsPerSample = 16;
  }
}

namespace {

// Puts the tags it knows into `properties`; false when none of them is known.
bool ApplyTags(const std::vector<ModelTag>& tags, TagLib::PropertyMap* properties) {
  bool changed = false;
  for (const ModelTag& tag : tags) {
    for (const auto& [tagName, key] : kTextTags) {
      WString text;
      if (tag.name != tagName || !tag.AsString(&text)) continue;
      if (text.empty())
        properties->erase(key);
      else
        properties->replace(key, TagLib::StringList(ToTagLib(text)));
      changed = true;
    }
    // Clients send the track as a number or, as some do, as text ("7/12").
    DWORD track = 0;
    WString trackText;
    if (tag.name == g_wszWMDMTrack && (tag.AsDword(&track) || tag.AsString(&trackText))) {
      const TagLib::String number =
          trackText.empty() ? TagLib::String::number(static_cast<int>(track)) : ToTagLib(trackText);
      properties->replace("TRACKNUMBER", TagLib::StringList(number));
      changed = true;
    }
  }
  return changed;
}

}  // namespace

bool WriteTrackTags(const std::string& path, const std::vector<ModelTag>& tags) {
  TagLib::FileRef file(path.c_str(), false);
  if (file.isNull()) return false;
  TagLib::PropertyMap properties = file.file()->properties();
  if (!ApplyTags(tags, &properties)) return true;
  file.file()->setProperties(properties);
  return file.save();
}

bool RenderMp3Tag(const std::string& source, const std::vector<ModelTag>& tags, Mp3Tags* rendered) {
  *rendered = Mp3Tags();
  std::ifstream in(source, std::ios::binary);
  char head[10] = {};
  if (!in.read(head, sizeof(head))) return false;
  TagLib::ID3v2::Tag front;
  TagLib::PropertyMap properties;
  bool trailing = false;
  if (std::memcmp(head, "ID3", 3) == 0 || in.seekg(-128, std::ios::end)) {
    TagLib::MPEG::File file(source.c_str(), false);
    if (!file.isValid()) return false;
    // The source's own tags are kept, with the new values over them.
    if (file.hasID3v2Tag()) {
      rendered->audioStart = file.ID3v2Tag()->header()->completeTagSize();
      properties = file.ID3v2Tag()->properties();
    }
    if (file.hasID3v1Tag()) {
      trailing = true;
      rendered->trailerSize = 128;
      if (properties.isEmpty()) properties = file.ID3v1Tag()->properties();
    }
  }
  ApplyTags(tags, &properties);
  front.setProperties(properties);
  const TagLib::ByteVector bytes = front.render();
  rendered->tag.assign(bytes.data(), bytes.size());
  if (trailing) {
    TagLib::ID3v1::Tag back;
    back.setProperties(properties);
    const TagLib::ByteVector trailer = back.render();
    rendered->trailer.assign(trailer.data(), trailer.size());
  }
  return true;
}

}  // namespace wmdm_standin
