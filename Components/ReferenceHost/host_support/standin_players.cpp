#include "host_support/standin_players.h"

#include "sample_players.h"

bool StandInPlayers::Open(const std::string& descriptionFile, std::string* error) {
  source_ = descriptionFile.empty() ? wmdm_standin::BuiltInSamplePath() : wide::FromUtf8(descriptionFile);
  std::string why;
  model_ = wmdm_standin::LoadPlayerModel(source_, &why);
  if (!model_) {
    *error = wide::ToUtf8(source_) + ": " + why;
    return false;
  }
  const HRESULT registered = registration_.Register(model_);
  if (FAILED(registered)) {
    *error = "cannot register the WMDM stand-in (CoRegisterClassObject failed)";
    return false;
  }
  return true;
}
