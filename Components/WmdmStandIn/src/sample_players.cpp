#include "sample_players.h"

#include "model_json.h"

namespace wmdm_standin {

WString BuiltInSamplePath() {
  WCHAR program[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH * 4);
  WString directory(program, length);
  const size_t separator = directory.find_last_of(W("\\/"));
  directory.resize(separator == WString::npos ? 0 : separator + 1);
  return directory + W("samples/players.json");
}

std::shared_ptr<PlayerModel> LoadPlayerModel(const WString& path, std::string* error) {
  auto model = PlayerModel::Create();
  if (!LoadPlayersFile(*model, path.empty() ? BuiltInSamplePath() : path, error)) return nullptr;
  return model;
}

}  // namespace wmdm_standin
