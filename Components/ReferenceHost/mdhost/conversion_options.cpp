#include "mdhost/conversion_options.h"

#include "convert/conversion_queue.h"
#include "convert/mp3_conversion.h"

namespace {

constexpr unsigned kMostJobs = 64;

}  // namespace

bool ConversionFromOptions(const CommandLine& line, ConversionChoice* choice, std::string* error) {
  *choice = ConversionChoice();
  if (line.Has("--quality") && !ParseQuality(line.Value("--quality"), &choice->settings, error)) return false;
  choice->jobs = ConversionQueue::DefaultJobs();
  if (line.Has("--jobs")) {
    const std::string jobs = line.Value("--jobs");
    const bool digits = !jobs.empty() && jobs.size() <= 2 && jobs.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoul(jobs) < 1 || std::stoul(jobs) > kMostJobs) {
      *error = "--jobs takes a number of conversions at once from 1 to " + std::to_string(kMostJobs) + ", not \"" +
               jobs + "\"";
      return false;
    }
    choice->jobs = static_cast<unsigned>(std::stoul(jobs));
  }
  choice->asked = !line.Has("--no-convert");
  choice->convert = choice->asked && CanConvert();
  return true;
}

void SayWhenNotConverted(const ConversionChoice& choice, const std::string& extension, const char* command,
                         std::ostream& out) {
  static bool said = false;
  if (said || !choice.asked || choice.convert || !ConvertibleExtension(extension)) return;
  said = true;
  out << "mdhost " << command << ": this build has no converter; tracks the player does not play are not sent\n";
}
