// The platform is called from several threads at once (the host's and the
// notification worker's) while players come and go; the model's lock must
// keep every answer whole. Run under ThreadSanitizer this also proves the
// locking.
#include <atomic>
#include <thread>

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class ModelThreadsTest : public StandInTest {};

TEST_F(ModelThreadsTest, ReadersSeeWholeAnswersWhilePlayersComeAndGo) {
  ComPtr<IWMDeviceManager2> manager2;
  ASSERT_EQ(manager_.As(&manager2), S_OK);
  std::atomic<bool> stop{false};
  std::atomic<int> unexpected{0};
  std::thread churn([&] {
    for (int i = 0; i < 200; ++i) {
      DeviceDescription description;
      description.name = W("Churn");
      description.canonicalName = W("churn$0");
      const ObjectId id = Model().AddDevice(description, PlayerModel::Presence::Detached);
      MediumDescription medium;
      medium.name = W("Memory");
      medium.totalSize = 1000;
      const ObjectId root = Model().AddMedium(id, medium);
      Model().AddFolder(root, W("Music"));
      Model().ConnectDevice(id);
      Model().RemoveDevice(id);
    }
    stop = true;
  });

  int rounds = 0;
  while (!stop || rounds < 5) {
    ++rounds;
    ComPtr<IWMDMEnumDevice> devices;
    if (manager2->EnumDevices2(&devices) != S_OK) {
      ++unexpected;
      continue;
    }
    ComPtr<IWMDMDevice> device;
    ULONG fetched = 0;
    while (devices->Next(1, &device, &fetched) == S_OK) {
      WCHAR name[64] = {};
      const HRESULT named = device->GetName(name, 64);
      if (named != S_OK && named != WMDM_E_INTERFACEDEAD) ++unexpected;
      ComPtr<IWMDMEnumStorage> media;
      if (FAILED(device->EnumStorage(&media))) continue;
      ComPtr<IWMDMStorage> medium;
      while (media->Next(1, &medium, &fetched) == S_OK) {
        ComPtr<IWMDMEnumStorage> children;
        const HRESULT listed = medium->EnumStorage(&children);
        if (listed != S_OK && listed != WMDM_E_INTERFACEDEAD) ++unexpected;
      }
    }
    ComPtr<IWMDMDevice> found;
    const HRESULT lookup = manager2->GetDeviceFromCanonicalName(W("churn$0"), &found);
    if (lookup != S_OK && lookup != S_FALSE) ++unexpected;
  }
  churn.join();
  EXPECT_EQ(unexpected.load(), 0);
  EXPECT_EQ(Model().PresentDevices().size(), 2u);
}

}  // namespace
}  // namespace wmdm_standin
