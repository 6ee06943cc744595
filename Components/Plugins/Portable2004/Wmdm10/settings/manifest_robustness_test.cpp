// Feeds generated and truncated manifests through both readers. Most are not
// well formed; none may crash or leak (the sanitizer lane watches both), and
// what is read must still be shaped as the readers promise.
#include <gtest/gtest.h>

#include <random>

#include "settings/kc_portable_manifest.h"
#include "settings/kc_vid_pid_filter.h"
#include "testing/settings_test_support.h"

namespace {

const WCHAR kFullManifest[] =
    W("<Devices>\r\n"
      "  <Device VidPid=\"Vid_C0DE%26Pid_0001\">\r\n"
      "    <RootSupportsFolders>0</RootSupportsFolders><SupportsFolders>1</SupportsFolders>\r\n"
      "    <RootAllowsFiles> 2</RootAllowsFiles><FolderAllowsFiles>true</FolderAllowsFiles>\r\n"
      "    <CheckDisplayNameOnDownload>-1</CheckDisplayNameOnDownload><SupportsFormat/>\r\n"
      "    <SupportsPlaylists>1</SupportsPlaylists><ShowSystemFiles>0</ShowSystemFiles>\r\n"
      "    <AlternateRoot>Music</AlternateRoot><FriendlyDisplayName>Jukebox &amp; Co</FriendlyDisplayName>\r\n"
      "    <DisplayMfgName><![CDATA[Example <Audio>]]></DisplayMfgName>\r\n"
      "    <HiddenFolder>System</HiddenFolder><HiddenFolder>Data</HiddenFolder>\r\n"
      "  </Device>\r\n"
      "  <Device VidPid=\"vid_c0de&amp;pid_0002\"><!-- partial --><SupportsPlaylists>0</SupportsPlaylists></Device>\r\n"
      "</Devices>\r\n"
      "<SkipList>\r\n"
      "  <Vendor Id=\"C0DE\" Name=\"Example\">\r\n"
      "    <Product Id=\"00FF\" Name=\"Dock\"/><Product Id=\"0100\" Filter=\"card\"/>\r\n"
      "    <Product Id=\"0101\" FriendlyName=\"Card Reader\"/>\r\n"
      "  </Vendor>\r\n"
      "  <Vendor Id=\"0xF00D\"><Product Id=\"0001\" Name=\"Mystery &#x263A;\"/></Vendor>\r\n"
      "</SkipList>");

// Pieces that make up manifests when strung together at random, well formed or not.
const WCHAR* const kPieces[] = {
    W("<Devices>"), W("</Devices>"), W("<Device VidPid='Vid_1%26Pid_2'>"), W("<Device VidPid='%'>"),
    W("<Device>"), W("</Device>"), W("<Device VidPid='a&amp;b'/>"), W("<SupportsFolders>1</SupportsFolders>"),
    W("<ShowSystemFiles> -7</ShowSystemFiles>"), W("<AlternateRoot>x</AlternateRoot>"), W("<HiddenFolder>"),
    W("</HiddenFolder>"), W("<SkipList>"), W("</SkipList>"), W("<Vendor Id='zz' Name='N'>"), W("</Vendor>"),
    W("<Product Id='-1' Filter='f' FriendlyName='g'/>"), W("<Product/>"), W("&amp;"), W("&bogus;"), W("%%"),
    W("<![CDATA[ ]]>"), W("<!-- c -->"), W("<"), W(">"), W("'"), W("\""), W("text"), W("\u00e9\xD83D\xDE00"),
    W("<?pi?>"), W("</Overall>"), W("<Overall>"), W("\r\n"), W(" "),
};

class ManifestRobustnessTest : public SettingsStoreTest {
 protected:
  void ReadThroughBoth(const WString& text) {
    registration_.reset();
    Offer(text);
    const kcVidPidFilter filter;
    const kcPortableManifest manifest;
    for (const auto& record : manifest.Settings()) {
      EXPECT_EQ(wide::LowerAscii(record.first), record.first);
      const kcDeviceSettings& settings = *record.second;
      for (LONG flag : {settings.RootSupportsFolders, settings.SupportsFolders, settings.RootAllowsFiles,
                        settings.FolderAllowsFiles, settings.CheckDisplayNameOnDownload, settings.SupportsFormat,
                        settings.SupportsPlaylists, settings.ShowSystemFiles})
        EXPECT_TRUE(flag >= -1 && flag <= 1);
      EXPECT_TRUE(settings.AlternateRoot.empty() || settings.AlternateRoot[0] == W('\\'));
      EXPECT_EQ(&settings, manifest.GetSettings(record.first));
    }
    for (const kcSkipEntry& entry : filter.Entries())
      EXPECT_TRUE(filter.IsSkippedByNames(entry.vendorName, entry.productName));
    // The readers hold nothing of the store once they are built: only the
    // test and the class registration do.
    EXPECT_EQ(2u, store_->References());
  }
};

TEST_F(ManifestRobustnessTest, TruncatedManifestsNeverBreakTheReadersAndTheWholeOneReadsCompletely) {
  const WString full = kFullManifest;
  for (size_t length = 0; length <= full.size(); length += 5) {
    SCOPED_TRACE(length);
    ReadThroughBoth(full.substr(0, length));
  }
  ReadThroughBoth(full);
  const kcPortableManifest manifest;
  const kcVidPidFilter filter;
  EXPECT_EQ(2u, manifest.Settings().size());
  EXPECT_EQ(4u, filter.Entries().size());
  const kcDeviceSettings* settings = manifest.GetSettings(W("VID_C0DE&PID_0001"));
  ASSERT_NE(nullptr, settings);
  EXPECT_EQ(WString(W("Example <Audio>")), settings->DisplayMfgName);
}

TEST_F(ManifestRobustnessTest, GeneratedManifestsNeverBreakTheReaders) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> count(0, 40);
  for (int round = 0; round < 300; ++round) {
    WString text;
    for (int n = count(random); n > 0; --n) text += kPieces[piece(random)];
    SCOPED_TRACE(wide::ToUtf8(text));
    ReadThroughBoth(text);
  }
}

}  // namespace
