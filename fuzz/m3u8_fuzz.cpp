// Playlists of the folder player as M3U8 text: parsed, written back and
// parsed again, which must give the same entries.
#include "fuzz_input.h"

#include "m3u8.h"

namespace {

bool SameEntries(const std::vector<wmdm_standin::M3u8Entry>& a, const std::vector<wmdm_standin::M3u8Entry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].path != b[i].path || a[i].title != b[i].title || a[i].seconds != b[i].seconds) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using wmdm_standin::ParseM3u8;
  const auto entries = ParseM3u8(std::string(reinterpret_cast<const char*>(data), size));
  for (const auto& entry : entries) fuzz::Require(!entry.path.empty() && entry.seconds >= -1, "an entry without a path");
  fuzz::Require(SameEntries(ParseM3u8(wmdm_standin::WriteM3u8(entries)), entries),
                "a playlist that does not read back as written");
  return 0;
}
