// The entry list a host hands UpdatePlaylist: the item identifiers of a
// playlist's new entries, in their new order. The plug-in only reads it for
// the length of the call, so plain owned strings are enough.
#pragma once

#include <utility>
#include <vector>

#include <ki_item_id_list.h>
#include <wide_text.h>

class HostItemIdList final : public kiItemIdList {
 public:
  explicit HostItemIdList(std::vector<WString> ids) : ids_(std::move(ids)) {}
  void Reserved0() override {}
  void Reserved1() override {}
  void Reserved2() override {}
  ULONG GetCount() override { return static_cast<ULONG>(ids_.size()); }
  void Reserved4() override {}
  const WCHAR* GetItem(ULONG index) override { return index < ids_.size() ? ids_[index].c_str() : nullptr; }

 private:
  std::vector<WString> ids_;
};
