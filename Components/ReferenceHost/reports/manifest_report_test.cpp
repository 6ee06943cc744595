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

// A file that is not there, does not parse or is not UTF-8 is bad input,
// told in one line; bytes that only resemble markup (an overlong "<") never
// become a device. A declaration and a byte-order mark are read past.
TEST(ManifestReportTest, WhatIsReadAndWhatIsBadInput) {
  const struct {
    const char* name;
    const char* content;
    int status;
    const char* says;
  } cases[] = {
      {"manifest_report_test_malformed.xml", "<Devices><Device VidPid='a'></Devices>", 2, "does not parse"},
      {"manifest_report_test_overlong.xml",
       "\xC0\xBC" "Devices>\xC0\xBC" "Device VidPid='Vid_1%26Pid_2'/>\xC0\xBC/Devices>", 2, "not well-formed UTF-8"},
      {"manifest_report_test_declared.xml",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Devices><Device VidPid='Vid_1%26Pid_2'/></Devices>", 0,
       ": 1 device records, 0 skip entries"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = BesideProgram(c.name);
    std::ofstream(path, std::ios::binary) << c.content;
    const std::string answer = Report(path, false, c.status);
    EXPECT_NE(std::string::npos, answer.find(c.says)) << answer;
    EXPECT_TRUE(c.status == 0 || answer.find('\n') == std::string::npos) << "one line: " << answer;
    std::remove(path.c_str());
  }
  const std::string missing = Report(BesideProgram("no_such_manifest.xml"), true, 2);
  EXPECT_NE(std::string::npos, missing.find("no_such_manifest.xml")) << missing;
}

}  // namespace
