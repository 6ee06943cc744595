// Opens the converter's module on the first conversion and keeps it for the
// life of the program (a conversion may still be running on another thread
// when any owner would let go of it).
#include "convert/transcode_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

TranscodeEntry LoadTranscodeEntry(const std::string& path, std::string* problem) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    *problem = std::string("cannot load the converter (") + dlerror() + ")";
    return nullptr;
  }
  auto entry = reinterpret_cast<TranscodeEntry>(dlsym(module, kTranscodeEntryName));
  if (!entry) *problem = "the converter " + path + " has no entry " + kTranscodeEntryName;
  return entry;
}

std::string TranscodeModulePath() {
  char program[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  std::string folder = length > 0 ? std::string(program, static_cast<size_t>(length)) : std::string("./x");
  folder.erase(folder.rfind('/') + 1);
  return folder + kTranscodeModuleName;
}

namespace {

struct LoadedTranscoder {
  TranscodeEntry entry = nullptr;
  std::string problem;
};

// Loaded once, by whichever conversion thread comes first.
const LoadedTranscoder& Transcoder() {
  static const LoadedTranscoder loaded = [] {
    LoadedTranscoder result;
    result.entry = LoadTranscodeEntry(TranscodeModulePath(), &result.problem);
    return result;
  }();
  return loaded;
}

}  // namespace

TranscodeResult TranscodeToMp3(const std::string& source, const std::string& destination,
                               const EncodeSettings& settings, const std::atomic<bool>& stop) {
  const LoadedTranscoder& transcoder = Transcoder();
  TranscodeResult result;
  if (!transcoder.entry) {
    result.problem = transcoder.problem;
    return result;
  }
  transcoder.entry(source, destination, settings, stop, &result);
  return result;
}
