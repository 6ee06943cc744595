// An object removed or renamed behind a node the plug-in cached, as each
// kind of provider answers for it: dead (WMDM), an invalid handle (MTP), or
// "file/path not found" (a mass-storage provider giving Win32 codes). Each
// answer drops the node and looks the path up once more; only what is
// really gone is reported not found.
#include "content/kc_ipp_item.h"
#include "testing/resolver_test_player.h"
#include "host_sdk/ipp_result_codes.h"

namespace resolver_testing {
namespace {

class StaleObjectTest : public ResolverPlayerTest {
 protected:
  void TearDown() override {
    if (DeviceRecord* record = plugin_.FindDeviceRecord(1)) record->settings = nullptr;
    ResolverPlayerTest::TearDown();
  }
  bool Gone(ObjectId object) { return !model_->Inspect(object) || model_->Inspect(object)->deleted; }

  kcDeviceSettings settings_;
};

TEST_F(StaleObjectTest, WhatWasReplacedBehindACachedNodeIsFoundAgain) {
  // Without playlists, an edit reads no listing that would refresh the node first.
  settings_.SupportsPlaylists = 0;
  plugin_.FindDeviceRecord(1)->settings = &settings_;
  enum class Behind { Replaced, Removed };
  const struct {
    const char* what;
    Behind behind;
    bool folder;  // the cached node is the folder "T", else its track "t.mp3"
    std::function<HRESULT(const WString& at, const WString& folder)> run;
    HRESULT result;
  } cases[] = {
      {"a folder made in a folder replaced", Behind::Replaced, true,
       [&](const WString& at, const WString& folder) {
         UniqueBstr made;
         return plugin_.CreateFolder(at.c_str(), folder.c_str(), W("New"), made.Put());
       },
       S_OK},
      {"a track replaced, deleted", Behind::Replaced, false,
       [&](const WString& at, const WString& folder) {
         return plugin_.DeleteItem(at.c_str(), (folder + W("\\t.mp3")).c_str());
       },
       S_OK},
      {"a track replaced, renamed", Behind::Replaced, false,
       [&](const WString& at, const WString& folder) {
         return plugin_.RenameItem(at.c_str(), (folder + W("\\t.mp3")).c_str(), W("u.mp3"));
       },
       S_OK},
      {"a track removed, deleted", Behind::Removed, false,
       [&](const WString& at, const WString& folder) {
         return plugin_.DeleteItem(at.c_str(), (folder + W("\\t.mp3")).c_str());
       },
       IPP_E_NOTFOUND},
  };
  const struct {
    const char* name;
    wmdm_standin::Personality personality;
    bool fileErrors;
  } providers[] = {{"mass storage", wmdm_standin::Personality::MassStorage, false},
                   {"mass storage, Win32 codes", wmdm_standin::Personality::MassStorage, true},
                   {"mtp", wmdm_standin::Personality::Mtp, false}};
  int round = 0;
  for (const auto& provider : providers) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + " (" + provider.name + ")");
      ASSERT_TRUE(model_->SetPersonality(player_, provider.personality));
      ASSERT_TRUE(model_->SetStaleAsFileErrors(player_, provider.fileErrors));
      const WString name = W("T") + wide::FromUnsigned(++round);
      const WString folderPath = W("\\Music\\") + name;
      ObjectId folder = model_->AddFolder(music_, name);
      ObjectId track = AddFile(folder, W("t.mp3"), 10);
      // The host read it, so the plug-in keeps its node.
      kcIPPItem read;
      ASSERT_EQ(plugin_.GetItemInformation(Internal().c_str(),
                                           (c.folder ? folderPath : folderPath + W("\\t.mp3")).c_str(), &read),
                S_OK);
      // Another program's work: the cached object goes, and one of the same
      // name takes its place.
      ASSERT_TRUE(model_->ForgetObject(c.folder ? folder : track));
      if (c.behind == Behind::Replaced) {
        if (c.folder) folder = model_->AddFolder(music_, name);
        track = AddFile(folder, W("t.mp3"), 10);
      }
      EXPECT_EQ(c.run(Internal(), folderPath), c.result);
      if (c.behind == Behind::Replaced) {
        const bool done = c.folder ? Find(folderPath + W("\\New")) != 0
                                   : (Gone(track) || Find(folderPath + W("\\u.mp3")) == track);
        EXPECT_TRUE(done) << "the edit reached the object now at the path";
      }
      EXPECT_TRUE(LockIsFree());
    }
  }
}

}  // namespace
}  // namespace resolver_testing
