// The player the resolver's tests work on, driven through the plug-in as a
// host drives it.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "content/locations.h"
#include "testing/plugin_test_harness.h"

namespace resolver_testing {

using wmdm_standin::FileDescription;
using wmdm_standin::ObjectId;
using wmdm_standin::ObjectKind;

inline const WString kCanonical = W("\\\\?\\usb#vid_0b70#pid_0101#r1");

// One player. Internal Memory holds \Music\a.mp3, b.mp3, zero.mp3 (0 bytes),
// the playlist Mix.pla, \Music\Pop\x.mp3, a hidden \Secret and a folder
// named like the second medium, \Storage Card\decoy.mp3; the medium Storage
// Card holds \Podcast.mp3.
class ResolverPlayerTest : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    player_ = model_->AddDevice(SamplePlayer(W("Rover"), kCanonical), wmdm_standin::PlayerModel::Presence::Detached);
    internal_ = model_->AddMedium(player_, Medium(W("Internal Memory")));
    music_ = model_->AddFolder(internal_, W("Music"));
    a_ = AddFile(music_, W("a.mp3"), 4000);
    b_ = AddFile(music_, W("b.mp3"), 5000);
    zero_ = AddFile(music_, W("zero.mp3"), 0);
    mix_ = model_->AddPlaylist(music_, W("Mix.pla"), {a_});
    pop_ = model_->AddFolder(music_, W("Pop"));
    AddFile(pop_, W("x.mp3"), 100);
    model_->AddFolder(internal_, W("Secret"), wmdm_standin::DefaultFolderAttributes() | WMDM_FILE_ATTR_HIDDEN);
    AddFile(model_->AddFolder(internal_, W("Storage Card")), W("decoy.mp3"), 10);
    card_ = model_->AddMedium(player_, Medium(W("Storage Card")));
    AddFile(card_, W("Podcast.mp3"), 700);
    model_->ConnectDevice(player_);
    Start();
    ASSERT_EQ(ListDevices(), std::vector<DWORD>{1});
  }

  WString Internal() const { return Location(W("Internal Memory")); }

  // The content callbacks since the last call, log lines left out.
  std::vector<HostEvent> Changes() {
    std::vector<HostEvent> changes;
    for (const HostEvent& event : callback_.Events())
      if (event.kind == HostEvent::kContentAdded || event.kind == HostEvent::kContentRemoved ||
          event.kind == HostEvent::kPlaylistChanged)
        changes.push_back(event);
    callback_.ClearEvents();
    return changes;
  }

  static wmdm_standin::MediumDescription Medium(const WString& name) {
    wmdm_standin::MediumDescription medium;
    medium.name = name;
    medium.totalSize = 1 << 20;
    return medium;
  }

  ObjectId AddFile(ObjectId parent, const WString& name, ULONGLONG size,
                   std::vector<wmdm_standin::ModelTag> tags = {}) {
    FileDescription file;
    file.name = name;
    file.size = size;
    file.format.nSamplesPerSec = 44100;
    file.format.wBitsPerSample = 16;
    file.tags = std::move(tags);
    return model_->AddFile(parent, file);
  }

  static WString Location(const WString& medium) { return locations::ComposeMediaLocation(kCanonical, medium); }
  NodeRef Resolve(const WString& path, DWORD flags = 0, const WString& medium = W("Internal Memory")) {
    return plugin_.Resolver().ResolveStorage(Location(medium), path, flags);
  }
  static WString NameOf(const NodeRef& node) { return NameOf(node.get()); }
  static WString NameOf(const StorageNode* node) {
    if (!node) return W("<null>");
    WCHAR name[260] = {};
    return SUCCEEDED(node->storage->GetName(name, 260)) ? WString(name) : WString(W("<dead>"));
  }

  // The model's object at a path of Internal Memory, and a playlist's entries.
  ObjectId Find(const WString& path) { return model_->Find(player_, WString(W("Internal Memory")) + path); }
  std::vector<ObjectId> References(ObjectId playlist) { return model_->Inspect(playlist)->references; }

  int Calls(ObjectKind kind, const char* method, ObjectId object = 0) {
    return model_->Faults().Calls(kind, method, object);
  }
  // Every WMDM call the resolver makes, of any object.
  int WmdmCalls() {
    int total = 0;
    for (const char* method : {"GetStorage", "EnumStorage"}) total += Calls(ObjectKind::Device, method);
    for (const char* method :
         {"GetStorage", "EnumStorage", "GetSize", "GetName", "GetParent", "GetAttributes", "GetMetadata"})
      total += Calls(ObjectKind::Storage, method);
    total += Calls(ObjectKind::StorageEnumerator, "Next");
    total += Calls(ObjectKind::MetaData, "QueryByIndex") + Calls(ObjectKind::MetaData, "QueryByName");
    return total;
  }

  ObjectId player_ = 0, internal_ = 0, card_ = 0, music_ = 0, pop_ = 0, a_ = 0, b_ = 0, zero_ = 0, mix_ = 0;
};

}  // namespace resolver_testing
