#include "mdhost/durable_report.h"

#include "host_support/folder_players.h"

bool DurableReport::FlushIfDue(std::ostream& errors) {
  if (std::chrono::steady_clock::now() - last_ < every_) return true;
  return Flush(errors);
}

bool DurableReport::Flush(std::ostream& errors) {
  last_ = std::chrono::steady_clock::now();
  if (held_.empty()) return true;
  std::string error;
  const bool durable = FlushFolderPlayers(&error);
  if (!durable) errors << "mdhost: " << error << "\n";
  for (const auto& [line, written] : held_) {
    out_ << (durable ? "" : "not confirmed written: ") << line << "\n";
    if (durable && written) ++confirmed_;
  }
  out_.flush();
  held_.clear();
  return durable;
}
