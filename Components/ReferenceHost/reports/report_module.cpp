// MDHostReports' exports: the reports, run inside this module and handed back
// as text.
#include "reports/report_module.h"

#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "reports/inventory_report.h"
#include "reports/manifest_report.h"

namespace {

// Runs a report into strings and hands them over; nothing thrown leaves the module.
template <typename Report>
int Deliver(const MdReportOutput* output, Report report) {
  std::string problem;
  int status = 1;
  try {
    std::ostringstream out;
    status = report(out, &problem);
    const std::string text = out.str();
    if (!text.empty()) output->write(output->context, text.data(), text.size());
  } catch (const std::bad_alloc&) {
    problem = "out of memory";
    status = 1;
  }
  if (status != 0 && !problem.empty()) output->problem(output->context, problem.data(), problem.size());
  return status;
}

}  // namespace

extern "C" int MdReportInventory(const char* const* regFiles, size_t count, int json, const MdReportOutput* output) {
  if (!output || (count && !regFiles)) return 1;
  return Deliver(output, [&](std::ostream& out, std::string* problem) {
    const std::vector<std::string> files(regFiles, regFiles + count);
    return ReportInventory(files, json != 0, out, problem);
  });
}

extern "C" int MdReportManifest(const char* path, int json, const MdReportOutput* output) {
  if (!output || !path) return 1;
  return Deliver(output, [&](std::ostream& out, std::string* problem) {
    return ReportManifest(path, json != 0, out, problem);
  });
}
