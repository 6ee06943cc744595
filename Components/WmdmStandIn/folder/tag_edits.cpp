#include "tag_edits.h"

#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <cerrno>
#include <utility>

#include "descriptor_stream.h"

namespace wmdm_standin {
namespace {

// The platform's text tags and the names TagLib gives them in every format.
const std::pair<const WCHAR*, const char*> kTextKeys[] = {
    {g_wszWMDMTitle, "TITLE"},       {g_wszWMDMAuthor, "ARTIST"}, {g_wszWMDMAlbumTitle, "ALBUM"},
    {g_wszWMDMAlbumArtist, "ALBUMARTIST"}, {g_wszWMDMGenre, "GENRE"},  {g_wszWMDMYear, "DATE"},
};

// The frames that hold each value; a date written as version 2.3 wrote it
// may still be spread over the older frames.
const std::pair<const char*, const char*> kId3v2Frames[] = {
    {"TITLE", "TIT2"}, {"ARTIST", "TPE1"}, {"ALBUMARTIST", "TPE2"}, {"ALBUM", "TALB"}, {"GENRE", "TCON"},
    {"DATE", "TDRC"},  {"DATE", "TYER"},   {"DATE", "TDAT"},        {"DATE", "TIME"},  {"DATE", "TRDA"},
    {"TRACKNUMBER", "TRCK"},
};

TagLib::String Utf8(const std::string& text) { return TagLib::String(text, TagLib::String::UTF8); }

// "0", "00" and "0/12" name no track.
bool NamesATrack(const WString& text) {
  for (WCHAR c : text) {
    if (c == W('/')) break;
    if (c != W('0')) return true;
  }
  return false;
}

// A tag written anew keeps the version the file's was in; TagLib writes no
// version below 2.3.
TagLib::ID3v2::Version VersionOf(TagLib::ID3v2::Tag& tag) {
  return tag.header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
}

bool SaveMpeg(TagLib::MPEG::File& file, const std::vector<TagEdit>& edits) {
  TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
  EditId3v2(tag, edits);
  int kinds = TagLib::MPEG::File::ID3v2;
  if (file.hasID3v1Tag()) {
    EditFixedFields(*file.ID3v1Tag(), edits);
    kinds |= TagLib::MPEG::File::ID3v1;
  }
  return file.save(kinds, TagLib::File::StripNone, VersionOf(tag), TagLib::File::DoNotDuplicate);
}

// Any other format: its property map holds every field it can name, so the
// map read, edited and written back leaves the others (pictures, unknown
// atoms and frames) where they were.
bool SaveProperties(TagLib::File& file, const std::vector<TagEdit>& edits) {
  TagLib::PropertyMap properties = file.properties();
  for (const TagEdit& edit : edits) properties.replace(edit.key, TagLib::StringList(Utf8(edit.value)));
  const TagLib::PropertyMap refused = file.setProperties(properties);
  for (const TagEdit& edit : edits)
    if (refused.contains(edit.key)) return false;
  if (auto* wave = dynamic_cast<TagLib::RIFF::WAV::File*>(&file))
    return wave->save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, VersionOf(*wave->ID3v2Tag()));
  return file.save();
}

}  // namespace

std::vector<TagEdit> TagEditsOf(const std::vector<ModelTag>& tags) {
  std::vector<TagEdit> edits;
  const auto set = [&](const char* key, const WString& value) {
    for (TagEdit& edit : edits)
      if (edit.key == key) {
        edit.value = wide::ToUtf8(value);
        return;
      }
    edits.push_back(TagEdit{key, wide::ToUtf8(value)});
  };
  for (const ModelTag& tag : tags) {
    WString text;
    for (const auto& [name, key] : kTextKeys)
      if (tag.name == name && tag.AsString(&text) && !text.empty()) set(key, text);
    // Clients send the track as a number or, as some do, as text ("7/12").
    DWORD track = 0;
    if (tag.name == g_wszWMDMTrack && tag.AsDword(&track) && track) set("TRACKNUMBER", wide::FromUnsigned(track));
    if (tag.name == g_wszWMDMTrack && tag.AsString(&text) && NamesATrack(text)) set("TRACKNUMBER", text);
  }
  return edits;
}

bool ReplacedByEdits(const std::string& id, const std::vector<TagEdit>& edits) {
  for (const TagEdit& edit : edits)
    for (const auto& [key, frame] : kId3v2Frames)
      if (edit.key == key && id == frame) return true;
  return false;
}

void EditId3v2(TagLib::ID3v2::Tag& tag, const std::vector<TagEdit>& edits) {
  for (const TagEdit& edit : edits) {
    for (const auto& [key, id] : kId3v2Frames)
      if (edit.key == key) tag.removeFrames(id);
    if (TagLib::ID3v2::Frame* frame =
            TagLib::ID3v2::Frame::createTextualFrame(edit.key, TagLib::StringList(Utf8(edit.value))))
      tag.addFrame(frame);
  }
}

void EditFixedFields(TagLib::Tag& tag, const std::vector<TagEdit>& edits) {
  for (const TagEdit& edit : edits) {
    const TagLib::String value = Utf8(edit.value);
    if (edit.key == "TITLE") tag.setTitle(value);
    if (edit.key == "ARTIST") tag.setArtist(value);
    if (edit.key == "ALBUM") tag.setAlbum(value);
    if (edit.key == "GENRE") tag.setGenre(value);
    if (edit.key == "DATE") tag.setYear(static_cast<unsigned>(value.toInt()));
    if (edit.key == "TRACKNUMBER") tag.setTrack(static_cast<unsigned>(value.toInt()));
  }
}

bool SaveEdits(TagLib::File& file, const std::vector<TagEdit>& edits) {
  if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file)) return SaveMpeg(*mpeg, edits);
  return SaveProperties(file, edits);
}

int EditTagsInPlace(int descriptor, const std::string& name, const std::vector<TagEdit>& edits) {
  DescriptorStream stream(descriptor, name);
  bool saved = false;
  {
    TagLib::FileRef file(&stream, false);
    if (file.isNull()) return stream.Error() ? stream.Error() : ENOTSUP;
    saved = SaveEdits(*file.file(), edits);
  }
  if (stream.Error()) return stream.Error();
  return saved ? 0 : ENOTSUP;
}

}  // namespace wmdm_standin
