#include "reports/manifest_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "host_support/plugin_module.h"

namespace {

std::string BesideProgram(const char* name) { return wide::ToUtf8(ProgramDirectory()) + name; }

std::string Report(const std::string& path, bool json, int expectedStatus) {
  std::ostringstream out;
  std::string problem;
  EXPECT_EQ(expectedStatus, ReportManifest(path, json, out, &problem)) << problem;
  return expectedStatus == 0 ? out.str() : problem;
}

TEST(ManifestReportTest, SampleReportShowsEveryRecordAndEntry) {
  const std::string text = Report(BesideProgram("samples/manifest.xml"), false, 0);
  for (const char* expected : {
           ": 2 device records, 4 skip entries\n",
           "\ndevice vid_c0de&pid_0001\n  RootSupportsFolders         0\n  SupportsFolders             1\n",
           "  ShowSystemFiles             0\n  AlternateRoot               \"\\Music\"\n",
           "  HiddenFolder                \"System\"\n  HiddenFolder                \"Firmware\"\n"
           "  HiddenFolder                \"Recordings\"\n",
           "\ndevice vid_c0de&pid_0002\n  RootSupportsFolders         -1\n",
           "\nskip vendor 0xC0DE product 0x0100\n  VendorName                  \"Example Audio\"\n"
           "  ProductName                 \"Example Card Slot\"\n  Filter                      \"card\"\n",
           "\nskip vendor 0xF00D product 0x0001\n  VendorName                  \"Unknown\"\n",
       }) {
    EXPECT_NE(std::string::npos, text.find(expected)) << "missing:\n" << expected << "\nin:\n" << text;
  }
}

TEST(ManifestReportTest, JsonReportCarriesTheSameRecords) {
  const auto report = nlohmann::json::parse(Report(BesideProgram("samples/manifest.xml"), true, 0));
  ASSERT_EQ(2u, report["devices"].size());
  const auto& first = report["devices"][0];
  EXPECT_EQ("vid_c0de&pid_0001", first["key"]);
  EXPECT_EQ(1, first["SupportsPlaylists"]);
  EXPECT_EQ("\\Music", first["AlternateRoot"]);
  EXPECT_EQ((std::vector<std::string>{"System", "Firmware", "Recordings"}), first["HiddenFolder"]);
  EXPECT_EQ(-1, report["devices"][1]["ShowSystemFiles"]);
  ASSERT_EQ(4u, report["skipList"].size());
  EXPECT_EQ("0x0101", report["skipList"][2]["productId"]);
  EXPECT_EQ("Card Reader", report["skipList"][2]["friendlyName"]);
}

TEST(ManifestReportTest, UnreadableOrUnparsableFileIsBadInput) {
  const std::string malformed = BesideProgram("manifest_report_test_malformed.xml");
  std::ofstream(malformed, std::ios::binary) << "<Devices><Device VidPid='a'></Devices>";
  const std::string parseProblem = Report(malformed, false, 2);
  EXPECT_NE(std::string::npos, parseProblem.find("does not parse")) << parseProblem;
  EXPECT_EQ(std::string::npos, parseProblem.find('\n'));
  const std::string readProblem = Report(BesideProgram("no_such_manifest.xml"), true, 2);
  EXPECT_NE(std::string::npos, readProblem.find("no_such_manifest.xml")) << readProblem;
  std::remove(malformed.c_str());
}

TEST(ManifestReportTest, AFileWithAnXmlDeclarationIsRead) {
  const std::string declared = BesideProgram("manifest_report_test_declared.xml");
  std::ofstream(declared, std::ios::binary)
      << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Devices><Device VidPid='Vid_1%26Pid_2'/></Devices>";
  EXPECT_NE(std::string::npos, Report(declared, false, 0).find(": 1 device records, 0 skip entries"));
  std::remove(declared.c_str());
}

// Bytes that only resemble markup (an overlong "<") never become a device.
TEST(ManifestReportTest, AFileThatIsNotUtf8IsRefused) {
  const std::string smuggled = BesideProgram("manifest_report_test_overlong.xml");
  std::ofstream(smuggled, std::ios::binary) << "\xC0\xBC" "Devices>\xC0\xBC" "Device VidPid='Vid_1%26Pid_2'/>\xC0\xBC/Devices>";
  const std::string problem = Report(smuggled, false, 2);
  EXPECT_NE(std::string::npos, problem.find("not well-formed UTF-8")) << problem;
  std::remove(smuggled.c_str());
}

}  // namespace
