#include "mdhost/transfer_progress.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace {

std::string Bytes(double bytes) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(1);
  if (bytes >= 1e9) text << bytes / 1e9 << " GB";
  else if (bytes >= 1e6) text << bytes / 1e6 << " MB";
  else text << bytes / 1e3 << " kB";
  return text.str();
}

}  // namespace

TransferProgress::TransferProgress(std::ostream& out, bool live, size_t files, ULONGLONG bytes)
    : out_(out), live_(live), files_(files), bytes_(bytes) {}

TransferProgress::~TransferProgress() {
  if (live_ && drawn_) out_ << "\n" << std::flush;
}

void TransferProgress::Starting(size_t index, ULONGLONG bytes, const std::string& what) {
  index_ = index;
  current_ = bytes;
  if (!live_) {
    out_ << "[" << index << "/" << files_ << "] sending " << what << " ...\n" << std::flush;
    return;
  }
  Draw();
}

void TransferProgress::Converting(size_t index, const std::string& what, size_t converted, size_t conversions) {
  index_ = index;
  const std::string count = " (" + std::to_string(converted) + " of " + std::to_string(conversions) + " converted)";
  if (!live_) {
    out_ << "[" << index << "/" << files_ << "] converting " << what << count << " ...\n" << std::flush;
    return;
  }
  converting_ = ", converting " + what + count;
  Draw();
  converting_.clear();
}

void TransferProgress::Finished() {
  done_ += current_;
  current_ = 0;
  if (live_) Draw();
}

void TransferProgress::Clear() {
  if (!live_ || !drawn_) return;
  out_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

void TransferProgress::Draw() {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double rate = seconds > 0 ? done_ / seconds : 0;
  std::ostringstream line;
  line << "[" << index_ << "/" << files_ << "] " << Bytes(static_cast<double>(done_)) << " of "
       << Bytes(static_cast<double>(bytes_));
  if (rate > 0)
    line << ", " << Bytes(rate) << "/s, " << static_cast<long long>((bytes_ - done_) / rate + 0.5) << " s left";
  out_ << "\r\x1b[K" << line.str() << converting_ << std::flush;
  drawn_ = true;
}
