// Playlists of the folder player as M3U text: read into pieces that must
// give back every byte, and its entries written anew, which must read back
// as the same entries.
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
  using namespace wmdm_standin;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::Require(ReadM3u(bytes).Bytes() == bytes, "a playlist text not kept byte for byte");
  std::vector<M3u8Entry> entries = ParseM3u8(bytes);
  for (auto& entry : entries) {
    fuzz::Require(!entry.path.empty() && entry.seconds >= -1, "an entry without a path");
    // A title read from a Windows-1252 text may hold C1 controls, written as spaces.
    entry.title = ParseM3u8(WriteM3u8({{"x", entry.title, -1}}))[0].title;
  }
  fuzz::Require(SameEntries(ParseM3u8(WriteM3u8(entries)), entries), "a playlist that does not read back as written");
  return 0;
}
