#include "settings/kc_vid_pid_filter.h"

#include <gmock/gmock.h>

#include <tuple>

#include "testing/settings_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ReadVidPidTest, FindsTheNumbersAfterVidAndPidInAnyCaseInTheFirst999Characters) {
  // The product's digit is the 1000th character: beyond the 999 searched.
  const WString late = WString(986, W('x')) + W("vid_0001&pid_2");
  const struct {
    int line;
    const WCHAR* text;
    DWORD vendor, product;
  } cases[] = {
      {__LINE__, W("Vid_0781&Pid_7420"), 0x0781, 0x7420},
      {__LINE__, W("USB\\VID_045E&PID_00DB&REV_0100"), 0x045E, 0x00DB},
      {__LINE__, W("VID_0A5C"), 0x0A5C, 0},
      {__LINE__, W("pid_1&vid_2"), 2, 1},
      {__LINE__, W("vid_ffff"), 0xFFFF, 0},
      {__LINE__, W("vid_12zz&pid_0x1F"), 0x12, 0x1F},
      {__LINE__, W("vid_ 12"), 0, 0},
      {__LINE__, W("vid_"), 0, 0},
      {__LINE__, W("no numbers here"), 0, 0},
      {__LINE__, W(""), 0, 0},
      {__LINE__, nullptr, 0, 0},
      {__LINE__, late.c_str(), 1, 0},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    DWORD vendor = 99, product = 99;
    kcVidPidFilter::ReadVidPid(row.text, &vendor, &product);
    EXPECT_EQ(row.vendor, vendor);
    EXPECT_EQ(row.product, product);
  }
}

TEST(ReadVidPidTest, SkipsOutputsThatAreNotGiven) {
  DWORD product = 0;
  kcVidPidFilter::ReadVidPid(W("vid_1&pid_2"), nullptr, &product);
  EXPECT_EQ(2u, product);
  DWORD vendor = 0;
  kcVidPidFilter::ReadVidPid(W("vid_1&pid_2"), &vendor, nullptr);
  EXPECT_EQ(1u, vendor);
}

class VidPidFilterTest : public SettingsStoreTest {
 protected:
  void Load(const WString& text) {
    Offer(text);
    filter_ = std::make_unique<kcVidPidFilter>();
  }

  std::unique_ptr<kcVidPidFilter> filter_;
};

TEST_F(VidPidFilterTest, LoadsOneEntryPerProductWithItsVendorsFields) {
  Load(
      W("<SkipList>"
        "<Vendor Id=' 0x0781' Name='Example &amp; Co'>"
        "<Product Id='7420' Name='Dock' Filter='acme' FriendlyName='Card Reader'/><Product/>"
        "<Group><Product Id='1'/></Group></Vendor>"
        "<Vendor><Product Id='2' Name='Mystery'/></Vendor>"
        "</SkipList>"
        "<Vendor Id='3'><Product Id='3'/></Vendor>"
        "<Deep><SkipList><Vendor Id='4'><Product Id='5'/></Vendor></SkipList></Deep>"));
  // vendor id, product id, product name, filter, vendor name, friendly name
  using Row = std::tuple<DWORD, DWORD, WString, WString, WString, WString>;
  std::vector<Row> rows;
  for (const kcSkipEntry& e : filter_->Entries())
    rows.emplace_back(e.vendorId, e.productId, e.productName, e.filter, e.vendorName, e.friendlyName);
  EXPECT_THAT(rows, ElementsAre(Row{0x0781, 0x7420, W("Dock"), W("acme"), W("Example & Co"), W("Card Reader")},
                                Row{0x0781, 0, W(""), W(""), W("Example & Co"), W("")},
                                Row{0, 2, W("Mystery"), W(""), W("Unknown"), W("")},
                                Row{4, 5, W(""), W(""), W("Unknown"), W("")}));
}

TEST_F(VidPidFilterTest, NumbersSkipAndAFilterOrFriendlyNameNarrowsTheMatch) {
  Load(
      W("<SkipList><Vendor Id='1'>"
        "<Product Id='1' Filter='acme'/>"
        "<Product Id='2' Filter='ACME'/>"
        "<Product Id='3' FriendlyName='Card Reader'/>"
        "<Product Id='4' Filter='acme' FriendlyName='Card Reader'/>"
        "<Product Id='5'/>"
        "</Vendor><Vendor Id='1'><Product Id='1' Filter='second'/></Vendor></SkipList>"));
  const struct {
    int line;
    DWORD product;
    const WCHAR* manufacturer;
    const WCHAR* friendlyName;
    bool skipped;
  } cases[] = {
      // The manufacturer is lower-cased before the search, the filter is not.
      {__LINE__, 1, W("ACME Corp"), W(""), true},
      {__LINE__, 1, W("Big acme"), W(""), true},
      {__LINE__, 1, W("Other"), W("Card Reader"), false},
      {__LINE__, 1, W(""), W(""), false},
      {__LINE__, 2, W("ACME Corp"), W(""), false},
      {__LINE__, 2, W("ACME"), W("ACME"), false},
      // The friendly name is searched as it is, case and all.
      {__LINE__, 3, W(""), W("USB Card Reader Device"), true},
      {__LINE__, 3, W(""), W("USB card reader"), false},
      {__LINE__, 3, W("Card Reader"), W(""), false},
      // With both, only the filter decides.
      {__LINE__, 4, W("Other"), W("USB Card Reader Device"), false},
      {__LINE__, 4, W("ACME"), W(""), true},
      // The numbers alone skip whatever the names.
      {__LINE__, 5, W(""), W(""), true},
      {__LINE__, 5, W("Any Maker"), W("Any Name"), true},
      {__LINE__, 6, W(""), W(""), false},
      // Any entry of the numbers may match.
      {__LINE__, 1, W("Second maker"), W(""), true},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    EXPECT_EQ(row.skipped, filter_->IsSkippedDevice(1, row.product, row.manufacturer, row.friendlyName));
  }
  EXPECT_FALSE(filter_->IsSkippedDevice(2, 5, W(""), W(""))) << "another vendor";
}

TEST_F(VidPidFilterTest, NamesMatchVendorAndProductIgnoringAsciiCase) {
  Load(
      W("<SkipList><Vendor Name='Example'><Product Name='Dock'/></Vendor>"
        "<Vendor><Product Name='Mystery Drive'/></Vendor></SkipList>"));
  EXPECT_TRUE(filter_->IsSkippedByNames(W("EXAMPLE"), W("dock")));
  EXPECT_FALSE(filter_->IsSkippedByNames(W("Example"), W("Dock 2")));
  EXPECT_FALSE(filter_->IsSkippedByNames(W("Example"), W("Mystery Drive")));
  // A vendor without a name is "Unknown", which is what an unreadable
  // manufacturer is reported as.
  EXPECT_TRUE(filter_->IsSkippedByNames(W("unknown"), W("MYSTERY DRIVE")));
  EXPECT_TRUE(filter_->IsSkippedByNames(W("Unknown"), W("mystery drive")));
}

TEST_F(VidPidFilterTest, MissingOrUnparsableManifestSkipsNothing) {
  for (const WCHAR* text : {W("<SkipList><Vendor Id='1'><Product Id='1'/></Vendor>"), W("<SkipList/>")}) {
    SCOPED_TRACE(wide::ToUtf8(text));
    registration_.reset();
    Load(text);
    EXPECT_THAT(filter_->Entries(), IsEmpty());
    EXPECT_FALSE(filter_->IsSkippedDevice(1, 1, W(""), W("")));
  }
  registration_.reset();
  store_->names = {W("Other")};
  store_->entries = {{W("Other"), {S_OK, W("<SkipList><Vendor Id='1'><Product Id='1'/></Vendor></SkipList>")}}};
  Register();
  kcVidPidFilter filter;
  EXPECT_THAT(filter.Entries(), IsEmpty());
  EXPECT_FALSE(filter.IsSkippedByNames(W("Unknown"), W("")));
}

}  // namespace
