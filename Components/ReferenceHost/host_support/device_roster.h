// The host's own list of the players attached, kept from the plug-in's
// arrival and removal callbacks. The callbacks alone do not keep it right
// through churn: the plug-in hands its worker's messages over newest first, so
// a player removed and back within one pass ends up removed, and a player
// without a canonical name never matches its removal. So once a burst of
// notifications has been quiet for longer than a worker pass, the host asks
// the plug-in to rescan; the rescan's own arrivals and removals bring the list
// back in line with the players attached. Its numbers hold as long as its
// owner does not list the devices again (FindFirstDevice numbers them anew,
// and takes in a player whose arrival has not been handed over yet, which is
// then never reported): the owner finds its players among these numbers.
#pragma once

#include <windows.h>

#include <set>
#include <vector>

#include "host_support/host_callback.h"

class DeviceRoster {
 public:
  explicit DeviceRoster(DWORD quietMs) : quietMs_(quietMs) {}

  void Reset(const std::vector<DWORD>& listed) { numbers_ = std::set<DWORD>(listed.begin(), listed.end()); }
  // Applies the arrivals and removals in `events` from `*seen` on and moves
  // `*seen` past them. One that came from a notification makes a rescan due.
  void Apply(const std::vector<HostEvent>& events, size_t* seen, DWORD now);
  // True once the notifications of a burst have been quiet long enough.
  bool RescanDue(DWORD now) const { return due_ && now - lastNotified_ >= quietMs_; }
  // Asks the plug-in to rescan and applies what it reports on this thread.
  HRESULT Rescan(kiMusicDevicePlugin2004* plugin, HostCallback& callback, size_t* seen);

  const std::set<DWORD>& Numbers() const { return numbers_; }

 private:
  void ApplyOne(const HostEvent& event);

  DWORD quietMs_;
  std::set<DWORD> numbers_;
  bool due_ = false;
  DWORD lastNotified_ = 0;
};
