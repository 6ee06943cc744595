#include "mdhost/host_session.h"

#include <objbase.h>

#include <iostream>

#include <com_ptr.h>
#include <ki_settings_store.h>

#include "host_support/manifest_file.h"
#include "host_support/settings_store.h"

namespace {

// One content change as a line: what happened, then each changed path with
// its kind, then a playlist's entries.
std::string DescribeChange(const HostEvent& event) {
  std::string text = event.kind == HostEvent::kContentAdded     ? "added:"
                     : event.kind == HostEvent::kContentRemoved ? "removed:"
                                                                : "playlist changed:";
  for (size_t i = 0; i < event.paths.size(); ++i) {
    text += " " + wide::ToUtf8(event.paths[i]);
    if (i < event.kinds.size()) text += "(" + std::to_string(event.kinds[i]) + ")";
  }
  for (const WString& entry : event.entries) text += "\n  entry " + wide::ToUtf8(entry);
  return text + "\n";
}

}  // namespace

void HostSession::Settle() {
  watch_.Settle();
  Players().Events().Flush();
}

HostSession::~HostSession() {
  if (plugin_) {
    plugin_->Shutdown();
    module_.ReleaseIMDP2004(plugin_);
  }
  watch_.Stop();
  players_.reset();
  settings_.reset();
  if (comInitialized_) CoUninitialize();
  sandbox_.reset();
}

int HostSession::Open(const CommandLine& line, const char* command, std::ostream& errors) {
  const std::string prefix = std::string("mdhost ") + command + ": ";
  comInitialized_ = SUCCEEDED(CoInitialize(nullptr));

  const std::vector<std::string> regFiles = line.Values("--reg");
  if (!regFiles.empty()) {
    sandbox_ = std::make_unique<RegistrySandbox>();
    if (sandbox_->Status() != ERROR_SUCCESS) {
      errors << prefix << "cannot set up the registry sandbox\n";
      return kExitFailure;
    }
    RegFileLoader loader(sandbox_->CreateOptions());
    for (const std::string& file : regFiles) {
      if (!loader.LoadFile(file)) {
        errors << prefix << loader.Error() << "\n";
        return kExitBadInput;
      }
    }
  }

  const std::string manifestFile = line.Value("--manifest");
  if (!manifestFile.empty()) {
    WString text;
    std::string error;
    // The plug-in says nothing of a manifest it cannot parse, so the host does.
    if (!ReadManifestFile(manifestFile, &text, &error) || !CheckManifestParses(text, manifestFile, &error)) {
      errors << prefix << error << "\n";
      return kExitBadInput;
    }
    ComPtr<IUnknown> store;
    if (FAILED(HostSettingsStore::CreateForManifest(text, &store))) {
      errors << prefix << "cannot create the settings store\n";
      return kExitFailure;
    }
    settings_ = std::make_unique<ClassObjectRegistration>(CLSID_kcSettingsStore, store.Get());
    if (FAILED(settings_->Result())) {
      errors << prefix << "cannot register the settings store\n";
      return kExitFailure;
    }
  }

  std::string error;
  players_ = std::make_unique<StandInPlayers>();
  const std::vector<std::string> watchRoots = line.Values("--watch-root");
  const bool watchMounts = line.Has("--watch-mounts");
  const bool watching = !watchRoots.empty() || watchMounts;
  if (watching && !PlayerWatch::Supported()) {
    PlayerWatch().Start(nullptr, watchRoots, watchMounts, &error);
    errors << prefix << error << "\n";
    return kExitBadInput;
  }
  bool badPlayers = false;
  const std::vector<std::string> folders = line.Values("--player");
  const bool opened = watching && !line.Has("--players") && folders.empty()
                          ? players_->OpenEmpty(&error)
                          : players_->Open(line.Value("--players"), &error, &badPlayers, folders);
  if (!opened) {
    errors << prefix << error << "\n";
    return badPlayers ? kExitBadInput : kExitFailure;
  }
  // The folders there now are players before the plug-in looks; later ones
  // arrive as the platform's would.
  if (watching && !watch_.Start(players_->SharedModel(), watchRoots, watchMounts, &error)) {
    errors << prefix << error << "\n";
    return kExitBadInput;
  }

  const std::string pluginPath = line.Value("--plugin");
  if (!module_.Load(pluginPath.empty() ? DefaultPluginPath() : wide::FromUtf8(pluginPath))) {
    errors << prefix << module_.Error() << "\n";
    return kExitFailure;
  }
  plugin_ = module_.GetIMDP2004();
  if (!plugin_) {
    errors << prefix << "GetIMDP2004 returned no plug-in\n";
    return kExitFailure;
  }
  if (line.Has("-v"))
    callback_.SetListener([](const HostEvent& event) {
      if (event.kind == HostEvent::kLogLine) std::cerr << "log: " << wide::ToUtf8(event.text) << std::flush;
      if (event.kind == HostEvent::kOperationEnded)
        std::cerr << "operation ended: cookie " << event.number << "\n" << std::flush;
      if (event.kind == HostEvent::kContentAdded || event.kind == HostEvent::kContentRemoved ||
          event.kind == HostEvent::kPlaylistChanged)
        std::cerr << DescribeChange(event) << std::flush;
    });
  const HRESULT hr = plugin_->Initialize(W(""), W(""));
  if (FAILED(hr)) {
    errors << prefix << "Initialize failed: 0x" << std::hex << static_cast<unsigned long>(hr) << std::dec << "\n";
    return kExitFailure;
  }
  plugin_->SetHostCallback(&callback_);
  return kExitOk;
}

int HostSession::OpenOnMedium(const CommandLine& line, const char* command, const std::string& medium,
                              MediumName* found, std::ostream& errors) {
  const int opened = Open(WithFolderPlayer(line, medium), command, errors);
  if (opened != kExitOk) return opened;
  if (!FindMedium(plugin_, Folders(), medium, found)) {
    errors << "mdhost " << command << ": no medium " << medium << " (mdhost media lists them)\n";
    return kExitBadInput;
  }
  return kExitOk;
}
