// A track's play time printed in seconds from whichever unit the plug-in
// gave it in.
#include "mdhost/item_report.h"

#include <gtest/gtest.h>

#include <sstream>


namespace {

TEST(ItemReportTest, PlayTimeIsPrintedInSecondsFromItsOwnUnit) {
  struct Case {
    LONG duration;
    bool fromTag;
    const char* table;  // what follows the bit rate on the table line
    const char* json;
  } cases[] = {
      {240300, false, "  240.3 s\n", "\"seconds\": 240.3}"},      // a listing's milliseconds
      {2403000, true, "  240.3 s\n", "\"seconds\": 240.3}"},      // a duration tag's 1/10,000 s
      {1005, false, "  1.005 s\n", "\"seconds\": 1.005}"},
      {10001, true, "  1.0001 s\n", "\"seconds\": 1.0001}"},
      {180000, false, "  180 s\n", "\"seconds\": 180}"},
      {0, true, "  1 bit/s\n", "\"seconds\": 0}"},                // no play time: none printed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.duration);
    ItemReport item;
    item.kind = 4;
    item.bitrate = 1;
    item.duration = c.duration;
    item.durationFromTag = c.fromTag;
    std::ostringstream table, json;
    PrintItemTable(item, table);
    PrintItemJson(item, json);
    const std::string line = table.str();
    EXPECT_EQ(line.substr(line.size() - std::string(c.table).size()), c.table) << line;
    EXPECT_NE(json.str().find(c.json), std::string::npos) << json.str();
  }
}

}  // namespace
