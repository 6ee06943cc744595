// Chaos is reproducible from its seed, and what it does to a listing is what
// the platform is allowed to do: a client that retries a busy answer and reads
// on after a short batch still sees every child once.
#include "chaos.h"

#include <set>

#include "model_json.h"
#include "personality.h"
#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

TEST(ChaosSettingsTest, ReadsASeedAndTheKindsChosen) {
  struct Case {
    const char* text;
    bool valid;
    unsigned long long seed;
    unsigned kinds;
  };
  const Case cases[] = {
      {"7", true, 7, kUsualChaos},
      {"0x10,busy,slow", true, 16, static_cast<unsigned>(ChaosKind::Busy) | static_cast<unsigned>(ChaosKind::Slow)},
      {"3,remove-store", true, 3, static_cast<unsigned>(ChaosKind::RemoveStore)},
      {"", false, 0, 0},
      {"seven", false, 0, 0},
      {"7,bogus", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto settings = ParseChaos(c.text);
    ASSERT_EQ(settings.has_value(), c.valid);
    if (!settings) continue;
    EXPECT_EQ(settings->seed, c.seed);
    EXPECT_EQ(settings->kinds, c.kinds);
  }
}

TEST(ChaosSettingsTest, ADescriptionChoosesPersonalityAndChaos) {
  auto model = PlayerModel::Create();
  std::string error;
  ASSERT_TRUE(LoadPlayers(*model,
                          R"({ "chaos": { "seed": 42, "kinds": ["busy"] },
                               "players": [ { "name": "M", "personality": "mtp" }, { "name": "S" } ] })",
                          &error))
      << error;
  EXPECT_TRUE(model->ChaosMode().On());
  EXPECT_EQ(model->ChaosMode().Seed(), 42u);
  auto lock = model->Lock();
  const auto devices = model->PresentDevices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_TRUE(IsMtp(*devices[0]));
  EXPECT_FALSE(IsMtp(*devices[1]));
  EXPECT_FALSE(LoadPlayers(*PlayerModel::Create(), R"({ "players": [ { "name": "X", "personality": "ptp" } ] })",
                           &error));
  EXPECT_NE(error.find("personality"), std::string::npos) << error;
}

class ChaosListingTest : public StandInTest {
 protected:
  static constexpr int kFiles = 60;

  void SetUp() override {
    StandInTest::SetUp();
    for (int i = 0; i < kFiles; ++i) {
      FileDescription file;
      file.name = W("t") + wide::FromUnsigned(static_cast<unsigned>(i)) + W(".mp3");
      file.size = 10;
      Model().AddFile(players_.music, file);
    }
  }

  // Lists \Music under chaos in batches of 5, retrying a busy answer, until
  // a call hands out nothing; the answers met are recorded.
  std::vector<WString> List(const ChaosSettings& chaos, std::vector<HRESULT>* answers) {
    auto music = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
    ComPtr<IWMDMEnumStorage> children;
    if (!music || music->EnumStorage(&children) != S_OK) {
      ADD_FAILURE() << "no listing of \\Music";
      return {};
    }
    Model().ChaosMode().Start(chaos);
    std::vector<WString> names;
    for (int calls = 0; calls < 1000; ++calls) {
      IWMDMStorage* batch[5] = {};
      ULONG fetched = 0;
      const HRESULT result = children->Next(5, batch, &fetched);
      answers->push_back(result);
      for (ULONG i = 0; i < fetched; ++i) {
        names.push_back(NameOf(batch[i]));
        batch[i]->Release();
      }
      if (result != WMDM_E_BUSY && fetched == 0) break;
    }
    Model().ChaosMode().Stop();
    return names;
  }
};

TEST_F(ChaosListingTest, TheSameSeedGivesTheSameAnswers) {
  std::vector<HRESULT> first, second;
  const auto names = List({1234, kUsualChaos}, &first);
  EXPECT_EQ(List({1234, kUsualChaos}, &second), names);
  EXPECT_EQ(second, first);
}

TEST_F(ChaosListingTest, BusyAnswersAndShortBatchesLoseNoChild) {
  const unsigned kinds = static_cast<unsigned>(ChaosKind::Busy) | static_cast<unsigned>(ChaosKind::ShortBatch);
  std::vector<HRESULT> answers;
  for (unsigned long long seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto names = List({seed, kinds}, &answers);
    EXPECT_EQ(names.size(), static_cast<size_t>(kFiles + 2)) << "Album, three.wav and every file once";
    EXPECT_EQ(std::set<WString>(names.begin(), names.end()).size(), names.size());
  }
  EXPECT_NE(std::find(answers.begin(), answers.end(), WMDM_E_BUSY), answers.end()) << "some seed met a busy answer";
}

TEST_F(ChaosListingTest, AnEarlyEndHidesChildrenAsAFlakyProviderDoes) {
  bool shortened = false;
  for (unsigned long long seed = 1; seed <= 20 && !shortened; ++seed) {
    std::vector<HRESULT> answers;
    shortened = List({seed, static_cast<unsigned>(ChaosKind::EarlyEnd)}, &answers).size() <
                static_cast<size_t>(kFiles + 2);
  }
  EXPECT_TRUE(shortened);
}

TEST_F(ChaosListingTest, AStoreTakenOutMidListingAnswersAsItsPersonality) {
  for (Personality personality : {Personality::MassStorage, Personality::Mtp}) {
    SCOPED_TRACE(personality == Personality::Mtp ? "mtp" : "mass-storage");
    ASSERT_TRUE(Model().SetPersonality(players_.pocket, personality));
    HRESULT result = S_OK;
    {
      auto music = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
      ComPtr<IWMDMEnumStorage> children;
      ASSERT_EQ(music->EnumStorage(&children), S_OK);
      Model().ChaosMode().Start({5, static_cast<unsigned>(ChaosKind::RemoveStore)});
      for (int calls = 0; calls < 5000 && SUCCEEDED(result); ++calls) {
        ComPtr<IWMDMStorage> child;
        ULONG fetched = 0;
        result = children->Next(1, &child, &fetched);
        if (result == S_FALSE) {
          ASSERT_EQ(children->Reset(), S_OK);
        }
      }
      Model().ChaosMode().Stop();
    }
    EXPECT_EQ(result, personality == Personality::Mtp ? kMtpStoreNotAvailable : WMDM_E_INTERFACEDEAD);
    if (personality == Personality::MassStorage) {
      // The next round needs the medium back: a fresh model.
      TearDown();
      players_ = testing_support::SmallModel();
      SetUp();
    }
  }
}

}  // namespace
}  // namespace wmdm_standin
