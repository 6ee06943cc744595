#include "track_tags.h"

#include <fcntl.h>
#include <unistd.h>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <utility>

#include "audio_format.h"
#include "descriptor_stream.h"

namespace wmdm_standin {
namespace {

// The platform's text tags and the names TagLib gives them in every format,
// in the order they are handed out. Clients take the album artist and the
// author as the track's artist, the later one winning: the author comes
// after, so a compilation's tracks show their own artists.
const std::pair<const WCHAR*, const char*> kTextTags[] = {
    {g_wszWMDMTitle, "TITLE"},  {g_wszWMDMAlbumArtist, "ALBUMARTIST"}, {g_wszWMDMAuthor, "ARTIST"},
    {g_wszWMDMAlbumTitle, "ALBUM"}, {g_wszWMDMGenre, "GENRE"},        {g_wszWMDMYear, "DATE"},
};

WString ToWide(const TagLib::String& text) { return wide::FromUtf8(text.to8Bit(true)); }

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
      {W(".oga"), WMDM_FORMATCODE_OGG},   {W(".opus"), WMDM_FORMATCODE_OGG}, {W(".m4a"), WMDM_FORMATCODE_M4A},
      {W(".mp4"), WMDM_FORMATCODE_MP4},
      {W(".m3u8"), WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST}, {W(".m3u"), WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST},
  };
  for (const auto& [extension, code] : kExtensions)
    if (HasExtension(name, extension)) return code;
  return 0;
}

namespace {

void AddAudioTags(ULONGLONG milliseconds, DWORD bitrate, DWORD sampleRate, DWORD channels, std::vector<ModelTag>* tags) {
  tags->push_back(ModelTag::Qword(g_wszWMDMDuration, milliseconds * 10000));
  if (bitrate) tags->push_back(ModelTag::Dword(g_wszWMDMBitrate, bitrate));
  if (sampleRate) tags->push_back(ModelTag::Dword(g_wszWMDMSampleRate, sampleRate));
  if (channels) tags->push_back(ModelTag::Dword(g_wszWMDMNumChannels, channels));
}

// An MP3's tags read straight from its tags, in kTextTags' order: building
// its whole property map costs as much as reading its tag.
void AddMp3TextTags(TagLib::MPEG::File& mpeg, std::vector<ModelTag>* tags) {
  const TagLib::Tag& tag = *mpeg.tag();
  const TagLib::ID3v2::FrameList& albumArtist = mpeg.ID3v2Tag(true)->frameListMap()["TPE2"];
  const TagLib::String year = tag.year() ? TagLib::String::number(static_cast<int>(tag.year())) : TagLib::String();
  const std::pair<const WCHAR*, TagLib::String> texts[] = {
      {g_wszWMDMTitle, tag.title()},
      {g_wszWMDMAlbumArtist, albumArtist.isEmpty() ? TagLib::String() : albumArtist.front()->toString()},
      {g_wszWMDMAuthor, tag.artist()},
      {g_wszWMDMAlbumTitle, tag.album()},
      {g_wszWMDMGenre, tag.genre()},
      {g_wszWMDMYear, year}};
  for (const auto& [tagName, value] : texts)
    if (!value.isEmpty()) tags->push_back(ModelTag::String(tagName, ToWide(value)));
  if (tag.track()) tags->push_back(ModelTag::Dword(g_wszWMDMTrack, static_cast<DWORD>(tag.track())));
}

// The tags of any file, by the names TagLib gives them in every format.
void AddTextTags(TagLib::File& file, std::vector<ModelTag>* tags) {
  if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file)) {
    AddMp3TextTags(*mpeg, tags);
    return;
  }
  const TagLib::PropertyMap properties = file.properties();
  for (const auto& [tagName, key] : kTextTags) {
    auto found = properties.find(key);
    if (found != properties.end() && !found->second.isEmpty() && !found->second.front().isEmpty())
      tags->push_back(ModelTag::String(tagName, ToWide(found->second.front())));
  }
  auto track = properties.find("TRACKNUMBER");
  if (track != properties.end() && !track->second.isEmpty() && LeadingNumber(track->second.front()))
    tags->push_back(ModelTag::Dword(g_wszWMDMTrack, LeadingNumber(track->second.front())));
}

}  // namespace

namespace {

// An MP3 whose frames were found: its tags alone, read from the file
// already open.
void ReadMp3Tags(int descriptor, const std::string& path, std::vector<ModelTag>* tags) {
  DescriptorStream stream(descriptor, path);
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (file.isValid()) AddTextTags(file, tags);
}

// Any other file: tags and audio as TagLib reads them; the format only where
// the headers did not give it.
void ReadWithTagLib(const std::string& path, DWORD formatCode, std::vector<ModelTag>* tags, _WAVEFORMATEX* format) {
  TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (file.isNull()) return;
  AddTextTags(*file.file(), tags);
  const TagLib::AudioProperties* audio = file.audioProperties();
  if (!audio) return;
  const DWORD bitrate = static_cast<DWORD>(audio->bitrate()) * 1000;
  AddAudioTags(static_cast<ULONGLONG>(audio->lengthInMilliseconds()), bitrate, audio->sampleRate(), audio->channels(),
               tags);
  if (format->nSamplesPerSec) return;
  format->wFormatTag = WaveTagOf(formatCode);
  format->nChannels = static_cast<WORD>(audio->channels());
  format->nSamplesPerSec = static_cast<DWORD>(audio->sampleRate());
  format->nAvgBytesPerSec = bitrate / 8;
  if (formatCode == WMDM_FORMATCODE_WAVE) format->wBitsPerSample = 16;
}

}  // namespace

void ReadTrackDetails(const std::string& path, const WString& name, unsigned long long size,
                      std::vector<ModelTag>* tags, _WAVEFORMATEX* format, unsigned long long headerMilliseconds) {
  tags->clear();
  if (!headerMilliseconds) *format = _WAVEFORMATEX{};
  const DWORD formatCode = FormatCodeOfName(name);
  if (formatCode) tags->push_back(ModelTag::Dword(g_wszWMDMFormatCode, formatCode));
  if (!formatCode || formatCode == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST) return;

  // Where the headers tell the play time (an MP3's), TagLib reads the tags
  // alone: its own reading of the audio walks the file back from its end.
  unsigned long long milliseconds = headerMilliseconds;
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor >= 0) {
    if (!milliseconds) ReadAudioFormatAt(descriptor, formatCode, size, format, &milliseconds);
    if (milliseconds) {
      AddAudioTags(milliseconds, format->nAvgBytesPerSec * 8, format->nSamplesPerSec, format->nChannels, tags);
      ReadMp3Tags(descriptor, path, tags);
    }
    close(descriptor);
  }
  if (!milliseconds) ReadWithTagLib(path, formatCode, tags, format);
}

bool ReadTrackDetailsAt(int descriptor, const std::string& path, const WString& name, unsigned long long size,
                        std::vector<ModelTag>* tags, _WAVEFORMATEX* format) {
  tags->clear();
  *format = _WAVEFORMATEX{};
  const DWORD formatCode = FormatCodeOfName(name);
  if (!formatCode || formatCode == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST) return false;
  unsigned long long milliseconds = 0;
  if (!ReadAudioFormatAt(descriptor, formatCode, size, format, &milliseconds) || !milliseconds) {
    *format = _WAVEFORMATEX{};
    return false;
  }
  tags->push_back(ModelTag::Dword(g_wszWMDMFormatCode, formatCode));
  AddAudioTags(milliseconds, format->nAvgBytesPerSec * 8, format->nSamplesPerSec, format->nChannels, tags);
  ReadMp3Tags(descriptor, path, tags);
  return true;
}

}  // namespace wmdm_standin
