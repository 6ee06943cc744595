// A track copied onto the medium with the tags handed over written into the
// copy: the source's own tags kept under the new values, its audio copied
// byte for byte.
#pragma once

#include <string>
#include <vector>

#include "model_types.h"

namespace wmdm_standin {

// Copies the source `source` (open for reading at its start, at
// `sourcePath`) into `target` (a new, empty file open for reading and
// writing) and writes `tags` into the copy; `name` is the file's name on the
// medium, which tells its format. Answers 0, the errno of a read or write
// that failed (ENOSPC: no room), or ENOTSUP when there are tags to write and
// TagLib cannot write them into this file.
int CopyTagged(int source, const std::string& sourcePath, int target, const WString& name,
               const std::vector<ModelTag>& tags);

// `bytes` written into `target` as CopyTagged writes a source.
int WriteTagged(const std::vector<BYTE>& bytes, int target, const WString& name, const std::vector<ModelTag>& tags);

}  // namespace wmdm_standin
