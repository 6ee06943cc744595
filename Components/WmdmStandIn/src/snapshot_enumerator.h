// What the stand-in's two enumerators share: IWMDMEnumDevice and
// IWMDMEnumStorage over a snapshot of model objects taken when the enumerator
// was made. Next hands out one new COM object (ElementClass) per item, as the
// platform does, even for an item that went away since: every call on it
// then answers WMDM_E_INTERFACEDEAD, which is how a client meets a dead
// interface without any fault being injected.
//
// Derived supplies
//   std::optional<HRESULT> Enter(const char* method) const;  // counts the call, applies an
//                                                            // injected fault, refuses when dead
//   ComPtr<Derived> MakeClone() const;  // a fresh enumerator over the same snapshot
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <com_ptr.h>

#include "com_support.h"
#include "player_model.h"

namespace wmdm_standin {

template <typename Derived, typename Enum, typename Element, typename ElementClass, typename Item>
class SnapshotEnumerator : public StandInObject<Derived, Enum> {
 public:
  HRESULT STDMETHODCALLTYPE Next(ULONG count, Element** elements, ULONG* fetched) override {
    if (auto early = Self().Enter("Next")) return *early;
    if (!elements || (!fetched && count != 1)) return E_INVALIDARG;
    ULONG limit = count;
    if (auto bad = ChaosAnswer(count, &limit)) {
      if (fetched) *fetched = 0;
      return *bad;
    }
    ULONG got = 0;
    while (got < limit) {
      const Item* item = Take();
      if (!item) break;
      ComPtr<Element> element = MakeComObject<ElementClass>(model_, *item);
      if (!element) {
        // Nothing half-done is handed back.
        while (got > 0) elements[--got]->Release();
        if (fetched) *fetched = 0;
        return E_OUTOFMEMORY;
      }
      elements[got++] = element.Detach();
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Skip(ULONG count, ULONG* skipped) override {
    if (auto early = Self().Enter("Skip")) return *early;
    ULONG done = 0;
    while (done < count && Take()) ++done;
    if (skipped) *skipped = done;
    return done == count ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Reset() override {
    if (auto early = Self().Enter("Reset")) return *early;
    position_ = 0;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Clone(Enum** clone) override {
    if (auto early = Self().Enter("Clone")) return *early;
    if (!clone) return E_INVALIDARG;
    ComPtr<Derived> copy = Self().MakeClone();
    if (!copy) return E_OUTOFMEMORY;
    static_cast<SnapshotEnumerator*>(copy.Get())->position_ = position_;
    *clone = copy.Detach();
    return S_OK;
  }

 protected:
  SnapshotEnumerator(std::shared_ptr<PlayerModel> model, std::vector<Item> items)
      : model_(std::move(model)), items_(std::move(items)) {}

  const std::vector<Item>& Items() const { return items_; }

  std::shared_ptr<PlayerModel> model_;

 private:
  const Derived& Self() const { return static_cast<const Derived&>(*this); }

  // Under chaos: busy, or the end of the listing claimed early; otherwise
  // perhaps a smaller batch than asked for in `limit` (S_FALSE, more to come).
  std::optional<HRESULT> ChaosAnswer(ULONG count, ULONG* limit) {
    Chaos& chaos = model_->ChaosMode();
    chaos.MaybeSlow();
    if (chaos.Roll(ChaosKind::Busy)) return WMDM_E_BUSY;
    if (position_ < items_.size() && chaos.Roll(ChaosKind::EarlyEnd)) return S_FALSE;
    if (count > 1 && chaos.Roll(ChaosKind::ShortBatch)) *limit = chaos.Between(1, count - 1);
    return std::nullopt;
  }

  // The next item of the snapshot, alive or not, or null at the end.
  const Item* Take() { return position_ < items_.size() ? &items_[position_++] : nullptr; }

  std::vector<Item> items_;
  size_t position_ = 0;
};

}  // namespace wmdm_standin
