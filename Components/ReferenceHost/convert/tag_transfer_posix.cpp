#include "convert/tag_transfer.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <exception>

namespace {

struct Cover {
  TagLib::ByteVector data;
  TagLib::String mime;
};

// The front cover, or else the first picture there is.
Cover FromPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures) {
  Cover first;
  for (const TagLib::FLAC::Picture* picture : pictures) {
    if (picture->type() == TagLib::FLAC::Picture::FrontCover) return {picture->data(), picture->mimeType()};
    if (first.data.isEmpty()) first = {picture->data(), picture->mimeType()};
  }
  return first;
}

Cover FromMp4(TagLib::MP4::File& file) {
  if (!file.tag() || !file.tag()->contains("covr")) return {};
  const TagLib::MP4::CoverArtList covers = file.tag()->item("covr").toCoverArtList();
  if (covers.isEmpty()) return {};
  const TagLib::MP4::CoverArt& cover = covers.front();
  return {cover.data(), cover.format() == TagLib::MP4::CoverArt::PNG ? "image/png" : "image/jpeg"};
}

// Every format a track to convert comes in keeps its pictures its own way.
Cover ReadCover(TagLib::File* file) {
  if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) return FromPictures(flac->pictureList());
  if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) return FromMp4(*mp4);
  if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file))
    return vorbis->tag() ? FromPictures(vorbis->tag()->pictureList()) : Cover();
  if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file))
    return opus->tag() ? FromPictures(opus->tag()->pictureList()) : Cover();
  return {};
}

// A key the ID3v2 writer has no frame for lands in a TXXX frame of its
// name (REPLAYGAIN_TRACK_GAIN, MUSICBRAINZ_...), which players read; what it
// cannot store at all it hands back, and that is dropped.
// TagLib's M4A names leave ReplayGain out; taggers write it as iTunes
// free-form items ("----:com.apple.iTunes:replaygain_track_gain").
void AddMp4ReplayGain(TagLib::MP4::File& file, TagLib::PropertyMap* properties) {
  if (!file.tag()) return;
  const TagLib::String prefix = "----:com.apple.iTunes:";
  for (const auto& [key, item] : file.tag()->itemMap()) {
    if (!key.startsWith(prefix)) continue;
    const TagLib::String name = key.substr(prefix.size()).upper();
    if (name.startsWith("REPLAYGAIN_") && !item.toStringList().isEmpty()) properties->replace(name, item.toStringList());
  }
}

TagLib::PropertyMap ReadProperties(TagLib::File* file) {
  TagLib::PropertyMap properties = file->properties();
  if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) AddMp4ReplayGain(*mp4, &properties);
  properties.removeEmpty();
  // The source encoder's name would now be false.
  properties.erase("ENCODER");
  properties.erase("ENCODEDBY");
  return properties;
}

}  // namespace

bool TransferTags(const std::string& source, const std::string& mp3, std::string* problem) {
  try {
    TagLib::PropertyMap properties;
    Cover cover;
    {
      TagLib::FileStream stream(source.c_str(), true);
      TagLib::FileRef file(&stream, false);
      if (!file.isNull() && file.file()->isValid()) {
        properties = ReadProperties(file.file());
        cover = ReadCover(file.file());
      }
    }
    TagLib::MPEG::File out(mp3.c_str(), false);
    if (!out.isValid()) {
      *problem = "the MP3 written cannot be opened for its tags";
      return false;
    }
    TagLib::ID3v2::Tag* tag = out.ID3v2Tag(true);
    tag->setProperties(properties);
    if (!cover.data.isEmpty()) {
      auto* frame = new TagLib::ID3v2::AttachedPictureFrame();
      frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
      frame->setMimeType(cover.mime.isEmpty() ? "image/jpeg" : cover.mime);
      frame->setPicture(cover.data);
      tag->addFrame(frame);
    }
    if (!out.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers)) {
      *problem = "cannot write the MP3's tags";
      return false;
    }
    return true;
  } catch (const std::exception& error) {
    *problem = std::string("cannot copy the tags (") + error.what() + ")";
    return false;
  }
}
