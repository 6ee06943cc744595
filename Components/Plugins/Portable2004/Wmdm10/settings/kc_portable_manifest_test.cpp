#include "settings/kc_portable_manifest.h"

#include <gmock/gmock.h>

#include "testing/settings_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PortableManifestTest : public SettingsStoreTest {
 protected:
  // Loads a manifest whose only device is <Device VidPid="key">body</Device>.
  const kcDeviceSettings* LoadDevice(const WString& body) {
    Load(W("<Devices><Device VidPid=\"key\">") + body + W("</Device></Devices>"));
    return manifest_->GetSettings(W("key"));
  }
  void Load(const WString& text) {
    registration_.reset();
    Offer(text);
    manifest_ = std::make_unique<kcPortableManifest>();
  }
  std::vector<WString> Keys() const {
    std::vector<WString> keys;
    for (const auto& entry : manifest_->Settings()) keys.push_back(entry.first);
    return keys;
  }

  std::unique_ptr<kcPortableManifest> manifest_;
};

TEST_F(PortableManifestTest, FlagTextReadsAsTriState) {
  const struct {
    int line;
    const WCHAR* element;  // null: no element
    LONG flag;
  } cases[] = {
      {__LINE__, nullptr, -1},
      {__LINE__, W("<SupportsFolders>0</SupportsFolders>"), 0},
      {__LINE__, W("<SupportsFolders>1</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders>2</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders>-1</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders>+3</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders>007</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders> 7</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders>9 lives</SupportsFolders>"), 1},
      {__LINE__, W("<SupportsFolders>00</SupportsFolders>"), 0},
      {__LINE__, W("<SupportsFolders>0x1</SupportsFolders>"), 0},
      {__LINE__, W("<SupportsFolders>true</SupportsFolders>"), 0},
      {__LINE__, W("<SupportsFolders>yes</SupportsFolders>"), 0},
      {__LINE__, W("<SupportsFolders></SupportsFolders>"), 0},
      {__LINE__, W("<SupportsFolders/>"), 0},
      {__LINE__, W("<SupportsFolders><![CDATA[ 1]]></SupportsFolders>"), 1},
      {__LINE__, W("<Nested><SupportsFolders>1</SupportsFolders></Nested>"), -1},
      {__LINE__, W("<supportsfolders>1</supportsfolders>"), -1},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    const kcDeviceSettings* settings = LoadDevice(row.element ? row.element : W(""));
    ASSERT_NE(nullptr, settings);
    EXPECT_EQ(row.flag, settings->SupportsFolders);
  }
}

TEST_F(PortableManifestTest, EachElementFillsItsOwnField) {
  const kcDeviceSettings* settings = LoadDevice(
      W("<RootSupportsFolders>1</RootSupportsFolders><SupportsFolders>0</SupportsFolders>"
        "<RootAllowsFiles>1</RootAllowsFiles><FolderAllowsFiles>0</FolderAllowsFiles>"
        "<CheckDisplayNameOnDownload>1</CheckDisplayNameOnDownload><SupportsFormat>0</SupportsFormat>"
        "<SupportsPlaylists>1</SupportsPlaylists>"
        "<FriendlyDisplayName> Jukebox &amp; Co </FriendlyDisplayName><DisplayMfgName>Example</DisplayMfgName>"));
  ASSERT_NE(nullptr, settings);
  EXPECT_EQ(1, settings->RootSupportsFolders);
  EXPECT_EQ(0, settings->SupportsFolders);
  EXPECT_EQ(1, settings->RootAllowsFiles);
  EXPECT_EQ(0, settings->FolderAllowsFiles);
  EXPECT_EQ(1, settings->CheckDisplayNameOnDownload);
  EXPECT_EQ(0, settings->SupportsFormat);
  EXPECT_EQ(1, settings->SupportsPlaylists);
  EXPECT_EQ(-1, settings->ShowSystemFiles);
  EXPECT_EQ(WString(W("Jukebox & Co")), settings->FriendlyDisplayName);
  EXPECT_EQ(WString(W("Example")), settings->DisplayMfgName);
  EXPECT_EQ(WString(), settings->AlternateRoot);
  EXPECT_THAT(settings->HiddenFolder, IsEmpty());
}

TEST_F(PortableManifestTest, KeyIsPercentDecodedAndLowerCased) {
  const struct {
    int line;
    const WCHAR* attribute;  // as written in the document
    const WCHAR* key;
  } cases[] = {
      {__LINE__, W("Vid_0781%26Pid_7420"), W("vid_0781&pid_7420")},
      {__LINE__, W("vid_0781&amp;pid_7420"), W("vid_0781&pid_7420")},
      {__LINE__, W("VID_0781&#38;PID_7420"), W("vid_0781&pid_7420")},
      {__LINE__, W("100%%"), W("100%")},
      {__LINE__, W("a%4"), W("a4")},
      {__LINE__, W("a%"), W("a")},
      {__LINE__, W("%%41"), W("%41")},
      {__LINE__, W("%41%62%7A"), W("abz")},
      {__LINE__, W("%c9t\u00c9"), W("\u00c9t\u00c9")},
      {__LINE__, W(""), W("")},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    Load(WString(W("<Devices><Device VidPid=\"")) + row.attribute + W("\"/></Devices>"));
    EXPECT_THAT(Keys(), ElementsAre(WString(row.key)));
  }
}

TEST_F(PortableManifestTest, LookupFoldsAsciiCaseOnly) {
  Load(W("<Devices><Device VidPid='Vid_0781%26Pid_7420'/><Device VidPid='\u00c9CLAIR'/></Devices>"));
  const kcDeviceSettings* settings = manifest_->GetSettings(W("VID_0781&PID_7420"));
  EXPECT_NE(nullptr, settings);
  EXPECT_EQ(settings, manifest_->GetSettings(W("vid_0781&pid_7420")));
  EXPECT_NE(nullptr, manifest_->GetSettings(W("\u00c9clair")));
  EXPECT_EQ(nullptr, manifest_->GetSettings(W("\u00e9clair")));
  EXPECT_EQ(nullptr, manifest_->GetSettings(W("vid_0781%26pid_7420")));
}

TEST_F(PortableManifestTest, FirstDeviceForAKeyAndFirstChildOfANameWin) {
  Load(
      W("<Devices>"
        "<Device VidPid='Vid_1'><SupportsFolders>0</SupportsFolders><SupportsFolders>1</SupportsFolders>"
        "<AlternateRoot>First</AlternateRoot><AlternateRoot>Second</AlternateRoot></Device>"
        "<Device VidPid='VID_1'><SupportsFolders>1</SupportsFolders></Device>"
        "</Devices>"));
  EXPECT_THAT(Keys(), ElementsAre(WString(W("vid_1"))));
  const kcDeviceSettings* settings = manifest_->GetSettings(W("vid_1"));
  ASSERT_NE(nullptr, settings);
  EXPECT_EQ(0, settings->SupportsFolders);
  EXPECT_EQ(WString(W("\\First")), settings->AlternateRoot);
}

TEST_F(PortableManifestTest, AlternateRootGetsALeadingBackslash) {
  const struct {
    int line;
    const WCHAR* element;
    const WCHAR* root;
  } cases[] = {
      {__LINE__, W("<AlternateRoot>Music</AlternateRoot>"), W("\\Music")},
      {__LINE__, W("<AlternateRoot>  Music\\Albums </AlternateRoot>"), W("\\Music\\Albums")},
      {__LINE__, W("<AlternateRoot></AlternateRoot>"), W("")},
      {__LINE__, W("<AlternateRoot>   </AlternateRoot>"), W("")},
      {__LINE__, W(""), W("")},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    const kcDeviceSettings* settings = LoadDevice(row.element);
    ASSERT_NE(nullptr, settings);
    EXPECT_EQ(WString(row.root), settings->AlternateRoot);
  }
}

TEST_F(PortableManifestTest, HiddenFoldersKeepDocumentOrderAndDuplicates) {
  const kcDeviceSettings* settings = LoadDevice(
      W("<HiddenFolder>System</HiddenFolder><SupportsFolders>1</SupportsFolders>"
        "<HiddenFolder> Data </HiddenFolder><Nested><HiddenFolder>Deep</HiddenFolder></Nested>"
        "<HiddenFolder>System</HiddenFolder><HiddenFolder/>"));
  ASSERT_NE(nullptr, settings);
  EXPECT_THAT(settings->HiddenFolder,
              ElementsAre(WString(W("System")), WString(W("Data")), WString(W("System")), WString()));
}

TEST_F(PortableManifestTest, OnlyDevicesInsideDevicesElementsAreRead) {
  Load(
      W("<Device VidPid='top'/>"
        "<Devices><Device VidPid='listed'/><Other><Device VidPid='nested'/></Other></Devices>"
        "<Deep><Deeper><Devices><Device VidPid='deep'/></Devices></Deeper></Deep>"
        "<Devices><Device/><Device VidPid='second'/></Devices>"));
  EXPECT_THAT(Keys(), ElementsAre(WString(W("deep")), WString(W("listed")), WString(W("second"))));
}

TEST_F(PortableManifestTest, MissingOrUnreadableManifestLeavesNoSettings) {
  const struct {
    int line;
    const WCHAR* name;
    const WCHAR* text;
  } cases[] = {
      {__LINE__, W("Other"), W("<Devices><Device VidPid='a'/></Devices>")},
      {__LINE__, W("wmdm"), W("<Devices><Device VidPid='a'/></Devices>")},
      {__LINE__, W("WMDM"), W("<Devices><Device VidPid='a'/></Devices")},
      {__LINE__, W("WMDM"), W("<Devices><Device VidPid='a'></Devices>")},
      {__LINE__, W("WMDM"), W("<?xml version=\"1.0\"?><Devices><Device VidPid='a'/></Devices>")},
      {__LINE__, W("WMDM"), W("</Overall><Overall><Devices><Device VidPid='a'/></Devices>")},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    registration_.reset();
    store_->names = {row.name};
    store_->entries = {{row.name, {S_OK, row.text}}};
    Register();
    manifest_ = std::make_unique<kcPortableManifest>();
    EXPECT_THAT(manifest_->Settings(), IsEmpty());
    EXPECT_EQ(nullptr, manifest_->GetSettings(W("a")));
  }
}

TEST_F(PortableManifestTest, WithoutComTheSettingsStayEmpty) {
  Offer(W("<Devices><Device VidPid='a'/></Devices>"));
  registration_.reset();
  CoUninitialize();
  kcPortableManifest manifest;
  EXPECT_THAT(manifest.Settings(), IsEmpty());
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
}

}  // namespace
