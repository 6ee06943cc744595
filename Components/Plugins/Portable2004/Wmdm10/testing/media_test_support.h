// What the media tests share: one listed player whose media are described
// row by row, a walk over its media, and the check that the plug-in lock is
// free once a slot has returned.
#pragma once

#include <vector>

#include "content/locations.h"
#include "testing/plugin_test_harness.h"

class MediaHarness : public PluginHarness {
 protected:
  static wmdm_standin::MediumDescription Medium(const WString& name, DWORD status = WMDM_STATUS_READY,
                                                ULONGLONG totalSize = 1 << 20) {
    wmdm_standin::MediumDescription medium;
    medium.name = name;
    medium.status = status;
    medium.totalSize = totalSize;
    return medium;
  }

  // Connects one player holding `media` (in that order), lists it and
  // returns its device number. The media's ids land in media_.
  DWORD ListPlayerWith(const std::vector<wmdm_standin::MediumDescription>& media,
                       wmdm_standin::DeviceDescription description = SamplePlayer(W("Pocket"), W("Pocket#1"))) {
    identity_ = description.canonicalName.value_or(WString());
    device_ = model_->AddDevice(description, wmdm_standin::PlayerModel::Presence::Detached);
    media_.clear();
    for (const auto& medium : media) media_.push_back(model_->AddMedium(device_, medium));
    model_->ConnectDevice(device_);
    const std::vector<DWORD> numbers = ListDevices();
    EXPECT_EQ(numbers.size(), 1u);
    return numbers.empty() ? 0 : numbers[0];
  }

  WString LocationOf(const WString& mediumName) const {
    return locations::ComposeMediaLocation(identity_, mediumName);
  }

  struct Walk {
    HRESULT first = E_UNEXPECTED;
    HRESULT end = E_UNEXPECTED;  // what ended the FindNextMedia calls
    std::vector<WString> locations;
  };

  // Every location one walk hands out; each out is checked for a null on
  // anything but success.
  Walk WalkMedia(DWORD number) {
    Walk walk;
    UniqueBstr location;
    IPPFINDHANDLE find = nullptr;
    walk.first = plugin_.FindFirstMedia(number, location.Put(), &find);
    EXPECT_TRUE(LockIsFree());
    if (walk.first != S_OK) {
      EXPECT_EQ(find, nullptr);
      EXPECT_FALSE(location);
      return walk;
    }
    walk.locations.push_back(location.ToString());
    for (;;) {
      UniqueBstr next;
      const HRESULT hr = plugin_.FindNextMedia(find, next.Put());
      EXPECT_TRUE(LockIsFree());
      if (hr != S_OK) {
        EXPECT_FALSE(next);
        walk.end = hr;
        break;
      }
      walk.locations.push_back(next.ToString());
    }
    EXPECT_EQ(plugin_.FindMediaClose(find), S_OK);
    EXPECT_TRUE(LockIsFree());
    return walk;
  }

  WString identity_;
  wmdm_standin::ObjectId device_ = 0;
  std::vector<wmdm_standin::ObjectId> media_;
};
