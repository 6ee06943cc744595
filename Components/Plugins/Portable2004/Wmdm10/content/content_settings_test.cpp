// Content edits on a player that the host's manifest gives settings: an
// alternate root, the display-name check of a send, no playlists.
#include <functional>

#include "testing/content_changes_test.h"
#include "testing/plugin_test_harness.h"
#include "content/kc_ipp_item.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_support/host_item_id_list.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ObjectId;
using wmdm_standin::ObjectKind;
using EventLines = std::vector<std::string>;

// Host paths start in \Music; a send checks the track's title as a name too.
const WCHAR kRootedSettings[] =
    W("<AlternateRoot>Music</AlternateRoot><CheckDisplayNameOnDownload>1</CheckDisplayNameOnDownload>");

// The mass-storage player of the machine fixture (VID a5c0, PID 0101, on F:)
// with `settings` from the manifest. Internal Memory holds \Music\a.mp3,
// b.mp3, Mix.pla naming a.mp3, the folder \Music\Pop and the folder \Lists.
class SettingsPlayerTest : public PluginHarness {
 protected:
  void Open(const WString& settings) {
    UseMachine("machines/mass_storage_player.reg");
    UseManifest(W("<Devices><Device VidPid='Vid_a5c0&amp;Pid_0101'>") + settings + W("</Device></Devices>"));
    Start();
    player_ = AddPlayer(SamplePlayer(W("Pocket"), W("ACME Pocket (F:)")));
    const ObjectId root = model_->Find(player_, W("Internal Memory"));
    music_ = model_->AddFolder(root, W("Music"));
    a_ = AddFile(music_, W("a.mp3"));
    b_ = AddFile(music_, W("b.mp3"));
    mix_ = model_->AddPlaylist(music_, W("Mix.pla"), {a_});
    model_->AddFolder(music_, W("Pop"));
    lists_ = model_->AddFolder(root, W("Lists"));
    ASSERT_EQ(ListDevices(), std::vector<DWORD>{1});
    // The medium's location as the host is handed it.
    UniqueBstr location;
    IPPFINDHANDLE find = nullptr;
    ASSERT_EQ(plugin_.FindFirstMedia(1, location.Put(), &find), S_OK);
    EXPECT_EQ(plugin_.FindMediaClose(find), S_OK);
    location_ = location.ToString();
    callback_.ClearEvents();
  }

  ObjectId AddFile(ObjectId folder, const WString& name) {
    wmdm_standin::FileDescription file;
    file.name = name;
    file.size = 10;
    return model_->AddFile(folder, file);
  }
  const WCHAR* At() const { return location_.c_str(); }
  std::vector<ObjectId> References(ObjectId playlist) { return model_->Inspect(playlist)->references; }
  int Calls(const char* method) { return model_->Faults().Calls(ObjectKind::Storage, method); }

  WString location_;
  ObjectId player_ = 0, music_ = 0, lists_ = 0, a_ = 0, b_ = 0, mix_ = 0;
};

// Each edit's entry line names what it was asked to do, by device path.
TEST_F(SettingsPlayerTest, EachEditLogsWhatItWasAskedToDo) {
  Open(kRootedSettings);
  HostItemIdList list({W("\\Mix.pla|\\b.mp3")});
  UniqueBstr out;
  const struct {
    std::function<HRESULT()> call;
    const WCHAR* line;
  } cases[] = {
      {[&] { return plugin_.DeleteItem(At(), W("\\Mix.pla|\\a.mp3")); },
       W("WMDM10::DeleteItem called to delete \\Music\\a.mp3 from playlist at \\Music\\Mix.pla\n")},
      {[&] { return plugin_.UpdatePlaylist(At(), W("\\Mix.pla"), &list); },
       W("WMDM10::UpdatePlaylist called to reorder playlist located at \\Music\\Mix.pla\n")},
      {[&] { return plugin_.DeleteItem(At(), W("\\b.mp3")); },
       W("WMDM10::DeleteItem called to delete \\Music\\b.mp3\n")},
      {[&] { return plugin_.RenameItem(At(), W("\\a.mp3"), W("c.mp3")); },
       W("kcWMDM10Plugin::RenameItem called asking to rename \\Music\\a.mp3 to c.mp3\n")},
      {[&] { return plugin_.CreateFolder(At(), W("\\Pop"), W("New"), out.Put()); },
       W("WMDM10::CreateFolder called to create a folder named New at location \\Music\\Pop\n")},
      {[&] { return plugin_.CreatePlaylist(At(), W("\\Pop"), W("Run.pla"), out.Put()); },
       W("WMDM10::CreatePlaylist called to create a playlist named Run.pla at location \\Music\\Pop\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.line));
    callback_.ClearEvents();
    EXPECT_EQ(c.call(), S_OK);
    // The plug-in's own listings log after it.
    const std::vector<WString> lines = callback_.LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), c.line);
  }
}

// Entries name their tracks by host paths below the alternate root.
TEST_F(SettingsPlayerTest, PlaylistEntriesBelowAnAlternateRoot) {
  Open(kRootedSettings);
  HostItemIdList list({W("\\Mix.pla|\\b.mp3"), W("\\Mix.pla|\\a.mp3")});
  ASSERT_EQ(plugin_.UpdatePlaylist(At(), W("\\Mix.pla"), &list), S_OK);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{b_, a_}));
  ASSERT_EQ(plugin_.DeleteItem(At(), W("\\Mix.pla|\\b.mp3")), S_OK);
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
  EXPECT_FALSE(model_->Inspect(b_)->deleted);
  EXPECT_EQ(Lines(EventsOf(HostEvent::kPlaylistChanged)),
            (EventLines{"= \\Mix.pla:3 @\\Mix.pla [\\Mix.pla|\\b.mp3 \\Mix.pla|\\a.mp3]",
                        "= \\Mix.pla:3 @\\Mix.pla [\\Mix.pla|\\a.mp3]"}));
}

// A send into a playlist by a device that checks titles: the track already
// there under its title joins the playlist, whatever the mode, and nothing
// is sent.
TEST_F(SettingsPlayerTest, ATitleAlreadyThereJoinsThePlaylistTarget) {
  Open(kRootedSettings);
  const ObjectId intro = AddFile(music_, W("Intro.mp3"));
  kcIPPItem item;
  item.SetTitle(W("Intro"));
  DWORD outcome = 0;
  const DWORD refuseExisting = 3;
  ASSERT_EQ(plugin_.DownloadFile(At(), W("\\Mix.pla"), W("C:\\in\\01.mp3"), &item, refuseExisting, 5, &outcome),
            S_OK);
  EXPECT_EQ(outcome, 4u);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, intro}));
  EXPECT_EQ(Calls("Insert3") + Calls("Insert"), 0);
}

// A device that keeps no playlists has none to edit: deleting a track reads
// no other folder, so one that cannot be listed does not stop the delete.
TEST_F(SettingsPlayerTest, ADeviceWithoutPlaylistsLeavesThemAloneOnDelete) {
  Open(W("<SupportsPlaylists>0</SupportsPlaylists>"));
  model_->Faults().Inject(ObjectKind::Storage, "EnumStorage", E_ACCESSDENIED, wmdm_standin::kEveryCall, lists_);
  EXPECT_EQ(plugin_.DeleteItem(At(), W("\\Music\\a.mp3")), S_OK);
  model_->Faults().ClearFaults();
  EXPECT_EQ(model_->Find(player_, W("Internal Memory\\Music\\a.mp3")), 0u);
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
  EXPECT_EQ(Calls("GetReferences") + Calls("SetReferences"), 0);
}

}  // namespace
}  // namespace resolver_testing
