#include "host_support/standin_players.h"

#include "host_support/folder_players.h"
#include "host_support/input_file.h"
#include "model_json.h"
#include "sample_players.h"

bool StandInPlayers::Open(const std::string& descriptionFile, std::string* error, bool* badInput,
                          const std::vector<std::string>& folders) {
  if (badInput) *badInput = true;
  std::string why;
  if (descriptionFile.empty() && !folders.empty()) {
    model_ = wmdm_standin::PlayerModel::Create();
  } else if (descriptionFile.empty()) {
    source_ = wmdm_standin::BuiltInSamplePath();
    model_ = wmdm_standin::LoadPlayerModel(source_, &why);
    if (!model_) {
      *error = wide::ToUtf8(source_) + ": " + why;
      return false;
    }
  } else {
    // Read here by its bytes, so that a name that is not UTF-8 still opens.
    source_ = wide::FromUtf8(descriptionFile);
    std::string text;
    if (!ReadInputFile(descriptionFile, &text, error)) return false;
    model_ = wmdm_standin::PlayerModel::Create();
    if (!wmdm_standin::LoadPlayers(*model_, text, &why)) {
      model_.reset();
      *error = ShownName(descriptionFile) + ": " + why;
      return false;
    }
  }
  std::vector<wmdm_standin::ObjectId> devices;
  if (!folders.empty() && !AddFolderPlayers(*model_, folders, error, &devices)) {
    model_.reset();
    return false;
  }
  for (size_t i = 0; i < devices.size(); ++i) {
    for (const auto& device : model_->PresentDevices())
      if (device->id == devices[i]) folders_.push_back({folders[i], device->knownName});
  }
  if (badInput) *badInput = false;
  const HRESULT registered = registration_.Register(model_);
  if (FAILED(registered)) {
    *error = "cannot register the WMDM stand-in (CoRegisterClassObject failed)";
    return false;
  }
  return true;
}

bool StandInPlayers::OpenEmpty(std::string* error) {
  source_.clear();
  model_ = wmdm_standin::PlayerModel::Create();
  if (FAILED(registration_.Register(model_))) {
    *error = "cannot register the WMDM stand-in (CoRegisterClassObject failed)";
    return false;
  }
  return true;
}
