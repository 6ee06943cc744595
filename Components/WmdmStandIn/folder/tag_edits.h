// The tags a send or an edit hands over, put into a file's own tags: each
// value named replaces the file's value of that name, and every other tag,
// frame, picture and field the file carries stays as it was.
#pragma once

#include <string>
#include <vector>

#include "model_types.h"

namespace TagLib {
class File;
class Tag;
namespace ID3v2 {
class Tag;
}
}  // namespace TagLib

namespace wmdm_standin {

// One value under TagLib's name for it ("TITLE", "TRACKNUMBER"), in UTF-8.
struct TagEdit {
  std::string key;
  std::string value;
};

// The text and number tags a file can carry. An empty text and a track
// number 0 are what a client sends when it has no value: they hand over
// nothing, so the file keeps its own. The rest (the format code, duration
// and such, which the file says for itself) are passed over.
std::vector<TagEdit> TagEditsOf(const std::vector<ModelTag>& tags);

// Whether the edits replace the ID3v2 frame `id` ("TIT2").
bool ReplacedByEdits(const std::string& id, const std::vector<TagEdit>& edits);

// Replaces the frames of the edited names; other frames are untouched.
void EditId3v2(TagLib::ID3v2::Tag& tag, const std::vector<TagEdit>& edits);

// The fixed fields of an ID3v1 tag that the edits name.
void EditFixedFields(TagLib::Tag& tag, const std::vector<TagEdit>& edits);

// Puts the edits into `file`'s tags and saves it in place. False when the
// format cannot keep one of the values or the save fails.
bool SaveEdits(TagLib::File& file, const std::vector<TagEdit>& edits);

// SaveEdits on the open file `descriptor`, whose format TagLib tells by
// `name`'s extension or its content. Answers 0, the errno of a read or write
// that failed, or ENOTSUP when TagLib cannot write this file's tags.
int EditTagsInPlace(int descriptor, const std::string& name, const std::vector<TagEdit>& edits);

}  // namespace wmdm_standin
