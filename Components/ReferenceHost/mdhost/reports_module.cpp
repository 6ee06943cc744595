#include "mdhost/reports_module.h"

#include <windows.h>

#include <wide_text.h>

#include "host_support/plugin_module.h"
#include "reports/report_module.h"

namespace {

struct Collected {
  std::ostream* out;
  std::string* problem;
};

void WriteReport(void* context, const char* text, size_t length) {
  static_cast<Collected*>(context)->out->write(text, static_cast<std::streamsize>(length));
}

void WriteProblem(void* context, const char* text, size_t length) {
  static_cast<Collected*>(context)->problem->assign(text, length);
}

class ReportsModule {
 public:
  ReportsModule() : path_(ProgramDirectory() + W("MDHostReports.dll")), module_(LoadLibraryW(path_.c_str())) {}
  ~ReportsModule() {
    if (module_) FreeLibrary(module_);
  }
  ReportsModule(const ReportsModule&) = delete;
  ReportsModule& operator=(const ReportsModule&) = delete;

  // The export `name` as `Fn`, or null with the reason in `problem`.
  template <typename Fn>
  Fn Resolve(const char* name, std::string* problem) const {
    if (!module_) {
      *problem = "cannot load " + wide::ToUtf8(path_) + " (error " + std::to_string(GetLastError()) + ")";
      return nullptr;
    }
    // Through void*: the export's type is not FARPROC's.
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    if (!fn) *problem = wide::ToUtf8(path_) + " lacks the export " + name;
    return fn;
  }

 private:
  WString path_;
  HMODULE module_;
};

}  // namespace

int RunInventoryReport(const std::vector<std::string>& regFiles, bool json, std::ostream& out, std::string* problem) {
  const ReportsModule module;
  const auto report = module.Resolve<MdReportInventoryFn>("MdReportInventory", problem);
  if (!report) return 1;
  std::vector<const char*> files;
  for (const std::string& file : regFiles) files.push_back(file.c_str());
  Collected collected{&out, problem};
  const MdReportOutput output{&collected, WriteReport, WriteProblem};
  return report(files.data(), files.size(), json ? 1 : 0, &output);
}

int RunManifestReport(const std::string& path, bool json, std::ostream& out, std::string* problem) {
  const ReportsModule module;
  const auto report = module.Resolve<MdReportManifestFn>("MdReportManifest", problem);
  if (!report) return 1;
  Collected collected{&out, problem};
  const MdReportOutput output{&collected, WriteReport, WriteProblem};
  return report(path.c_str(), json ? 1 : 0, &output);
}
