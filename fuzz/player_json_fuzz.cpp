// The stand-in's player descriptions (JSON), loaded into a model whose
// devices and media are then listed as a device manager lists them, and the
// same text read as one player's facts (a folder player's player.json).
#include "fuzz_input.h"

#include "com_support.h"
#include "model_json.h"
#include "player_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    auto model = wmdm_standin::PlayerModel::Create();
    std::string error;
    const bool loaded = wmdm_standin::LoadPlayers(*model, text, &error);
    fuzz::Require(loaded || !error.empty(), "a refused description without a reason");
    for (const auto& device : model->PresentDevices()) {
      fuzz::Require(model->FindDevice(device->description.name) != 0, "a listed device its name does not find");
      model->ListedMedia(*device);
    }
  }
  {
    // The same text as one player's facts, as a folder player reads them.
    wmdm_standin::DeviceDescription device;
    wmdm_standin::MediumDescription medium;
    std::string error;
    fuzz::Require(wmdm_standin::ParsePlayerFacts(text, &device, &medium, &error) || !error.empty(),
                  "refused facts without a reason");
  }
  fuzz::Require(wmdm_standin::LiveComObjects() == 0, "a stand-in object outlived its model");
  return 0;
}
