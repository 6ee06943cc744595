// Feeds kept inputs (files, or every file below a folder) to a fuzz entry,
// one call per file, without fuzzing: the regression test of each target in
// the ordinary build. A missing folder counts as empty, so a target without
// crash files needs none.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", file.string().c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A copy of its own, so that a read past the end lands outside it.
  std::vector<uint8_t> input(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path root(argv[i]);
    std::error_code error;
    if (std::filesystem::is_regular_file(root, error)) {
      ok = Replay(root) && ok;
      ++count;
      continue;
    }
    if (!std::filesystem::is_directory(root, error)) continue;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      ok = Replay(file) && ok;
      ++count;
    }
  }
  std::printf("replayed %zu inputs\n", count);
  return ok && count > 0 ? 0 : 1;
}
