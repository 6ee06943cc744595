// Abstract playlists: IWMDMStorage4's references.
#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class ReferencesTest : public StandInTest {
 protected:
  void SetUp() override {
    StandInTest::SetUp();
    run_ = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Playlists"), W("Run.pla")});
    ASSERT_TRUE(run_);
  }
  void TearDown() override {
    run_.Reset();
    StandInTest::TearDown();
  }

  // Reads the references as a caller does: release each, free the array.
  HRESULT Entries(IWMDMStorage4* playlist, std::vector<WString>* names) {
    names->clear();
    DWORD count = 99;
    IWMDMStorage** entries = reinterpret_cast<IWMDMStorage**>(1);
    const HRESULT result = playlist->GetReferences(&count, &entries);
    EXPECT_TRUE(count > 0 || entries == nullptr);
    for (DWORD i = 0; i < count; ++i) {
      names->push_back(NameOf(entries[i]));
      entries[i]->Release();
    }
    CoTaskMemFree(entries);
    return result;
  }

  ComPtr<IWMDMStorage> StorageOf(const std::vector<WString>& path) {
    ComPtr<IWMDMStorage> storage;
    auto found = StorageAt(W("Pocket 20"), path);
    if (found) found.As(&storage);
    return storage;
  }

  ComPtr<IWMDMStorage4> run_;
};

TEST_F(ReferencesTest, SetReferencesKeepsTheCallersOrderAndCanClear) {
  std::vector<WString> names;
  EXPECT_EQ(Entries(run_.Get(), &names), S_OK);
  EXPECT_EQ(names, (std::vector<WString>{W("one.mp3"), W("three.wav")}));
  ComPtr<IWMDMStorage> three = StorageOf({W("Internal Memory"), W("Music"), W("three.wav")});
  ComPtr<IWMDMStorage> two = StorageOf({W("Internal Memory"), W("Music"), W("Album"), W("two.wma")});
  ComPtr<IWMDMStorage> one = StorageOf({W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  IWMDMStorage* order[] = {three.Get(), two.Get(), one.Get(), three.Get()};
  ASSERT_EQ(run_->SetReferences(4, order), S_OK);
  EXPECT_EQ(Entries(run_.Get(), &names), S_OK);
  EXPECT_EQ(names, (std::vector<WString>{W("three.wav"), W("two.wma"), W("one.mp3"), W("three.wav")}));

  ASSERT_EQ(run_->SetReferences(0, nullptr), S_OK);
  EXPECT_EQ(Entries(run_.Get(), &names), S_OK);
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(Model().Inspect(players_.run)->deleted) << "the playlist itself remains";
}

TEST_F(ReferencesTest, ADeletedTargetIsLeftOutWithSFalse) {
  ComPtr<IWMDMStorageControl> three;
  ASSERT_EQ(StorageOf({W("Internal Memory"), W("Music"), W("three.wav")}).As(&three), S_OK);
  ASSERT_EQ(three->Delete(WMDM_MODE_BLOCK, nullptr), S_OK);
  std::vector<WString> names;
  EXPECT_EQ(Entries(run_.Get(), &names), S_FALSE);
  EXPECT_EQ(names, (std::vector<WString>{W("one.mp3")}));
}

TEST_F(ReferencesTest, SetReferencesRefusesWhatCannotBeAnEntry) {
  ComPtr<IWMDMStorage> one = StorageOf({W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  ComPtr<IWMDMStorage> doomed = StorageOf({W("Internal Memory"), W("Music"), W("three.wav")});
  Model().RemoveDevice(players_.generic);  // unrelated: must not matter
  ComPtr<IWMDMStorageControl> control;
  ASSERT_EQ(doomed.As(&control), S_OK);
  ASSERT_EQ(control->Delete(WMDM_MODE_BLOCK, nullptr), S_OK);

  IWMDMStorage* dead[] = {one.Get(), doomed.Get()};
  EXPECT_EQ(run_->SetReferences(2, dead), WMDM_E_INTERFACEDEAD);
  IWMDMStorage* empty[] = {nullptr};
  EXPECT_EQ(run_->SetReferences(1, empty), E_INVALIDARG);
  EXPECT_EQ(run_->SetReferences(1, nullptr), E_INVALIDARG);

  auto folder = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
  IWMDMStorage* entries[] = {one.Get()};
  EXPECT_EQ(folder->SetReferences(1, entries), WMDM_E_NOTSUPPORTED);
  std::vector<WString> names;
  EXPECT_EQ(Entries(run_.Get(), &names), S_FALSE) << "nothing was changed by the refused calls";
}

}  // namespace
}  // namespace wmdm_standin
