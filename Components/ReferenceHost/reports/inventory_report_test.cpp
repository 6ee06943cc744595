// The inventory report that mdhost inventory prints.
#include "reports/inventory_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace {

std::string Fixture(const std::string& name) { return std::string(MD_FIXTURES_DIR) + "/registry/" + name; }

TEST(InventoryReport, PrintsEveryRecordWithItsFields) {
  std::ostringstream out;
  std::string problem;
  ASSERT_EQ(0, ReportInventory({Fixture("machines/mass_storage_player.reg")}, false, out, &problem)) << problem;
  const std::string text = out.str();
  for (const char* expected : {"1 devices", "device 1: USBSTOR&Disk&Ven_ACME&Prod_Pocket&Rev_1.00&A5C0000012345678&0",
                               "drive letter        F:", "VID/PID text        Vid_a5c0&Pid_0101",
                               "USBSTOR\\DiskACME____Pocket__________1.00 | USBSTOR\\DiskACME____Pocket__________",
                               "\"USB Mass Storage Device\", provider \"Microsoft\"", "instance count      1"})
    EXPECT_NE(std::string::npos, text.find(expected)) << expected << "\n" << text;
}

TEST(InventoryReport, WritesJsonWithOneObjectPerRecord) {
  std::ostringstream out;
  std::string problem;
  ASSERT_EQ(0, ReportInventory({Fixture("real/bitcurator-bcc-dfa-SYSTEM.reg"),
                                Fixture("started/bitcurator-flash-disk-attached.reg")},
                               true, out, &problem))
      << problem;
  const auto report = nlohmann::json::parse(out.str());
  ASSERT_EQ(1u, report["devices"].size());
  const auto& device = report["devices"][0];
  EXPECT_EQ("E", device["driveLetter"]);
  EXPECT_EQ("Vid_058f&Pid_6387", device["vidPidText"]);
  EXPECT_EQ("USB 2.0 Flash Disk USB Device", device["friendlyName"]);
  EXPECT_EQ(7u, device["hardwareIds"].size());
  EXPECT_EQ(6u, report["read"]["usbDevices"]);  // five "Vid_" keys, one with two units; no root hubs
}

TEST(InventoryReport, AMalformedFileStopsTheReportWithItsLine) {
  std::ostringstream out;
  std::string problem;
  EXPECT_EQ(2, ReportInventory({Fixture("machines/mtp_player.reg"), Fixture("real/SOURCES.md")}, false, out, &problem));
  EXPECT_NE(std::string::npos, problem.find("SOURCES.md:1: ")) << problem;
  EXPECT_TRUE(out.str().empty());
  EXPECT_EQ(2, ReportInventory({Fixture("machines/no-such-machine.reg")}, true, out, &problem));
}

}  // namespace
