// An ID3v2.3 or 2.4 tag edited frame by frame on its bytes: the frames of
// the edited names are replaced, every other frame is kept byte for byte,
// also one TagLib would not read (it stops at the first frame it finds
// malformed, and a tag it renders holds only what it read).
#pragma once

#include <string>
#include <vector>

#include "tag_edits.h"

namespace wmdm_standin {

// `original` is a whole tag, header first. False when the tag has a form
// not edited here (version 2.2, unsynchronised, an extended header, frames
// that do not walk to its end); TagLib then renders it instead.
bool SpliceId3v2(const std::string& original, const std::vector<TagEdit>& edits, std::string* edited);

}  // namespace wmdm_standin
