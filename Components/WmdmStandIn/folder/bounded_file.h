// Reading a small file a folder player finds on the medium (its player.json)
// without trusting what the name stands for: a FIFO would block, a link to a
// device would never end, a huge file would fill the memory.
#pragma once

#include <cstddef>
#include <string>

namespace wmdm_standin {

// The cap every input file of the system is read up to.
inline constexpr size_t kMaxReadFileBytes = 64u << 20;

// The whole of `path` into `text` when it is a regular file of at most
// kMaxReadFileBytes; false otherwise, having read nothing beyond that cap.
bool ReadRegularFile(const std::string& path, std::string* text);

}  // namespace wmdm_standin
