// A platform having a bad day, on purpose and reproducibly: with chaos on,
// enumerators now and then answer busy, end early or hand out fewer objects
// than asked, metadata calls succeed with the platform's other success codes,
// calls are slow, and a medium may be taken out between two calls of one
// operation. Every choice comes from one seeded generator, so a failing run
// is repeated by its seed, which is printed when chaos starts:
//   MD_STANDIN_CHAOS=<seed>[,<kind>...]   (kinds: busy, early-end, short-batch,
//                                          odd-success, slow, remove-store)
// or "chaos": { "seed": 7, "kinds": ["busy", ...] } in a players description.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <random>
#include <string>

namespace wmdm_standin {

enum class ChaosKind : unsigned {
  Busy = 1,
  EarlyEnd = 2,
  ShortBatch = 4,
  OddSuccess = 8,
  Slow = 16,
  RemoveStore = 32,
};

// Everything but taking media out, which ends any session that meets it.
inline constexpr unsigned kUsualChaos = 1 | 2 | 4 | 8 | 16;

struct ChaosSettings {
  unsigned long long seed = 0;
  unsigned kinds = kUsualChaos;
};

// "seed" or "seed,kind,kind"; nothing when the text is not that.
std::optional<ChaosSettings> ParseChaos(const std::string& text);
// MD_STANDIN_CHAOS, when it is set and well formed.
std::optional<ChaosSettings> ChaosFromEnvironment();
// The bit of a kind's name ("early-end"); 0 for a name it does not know.
unsigned ChaosKindNamed(const std::string& name);

class Chaos {
 public:
  void Start(const ChaosSettings& settings);
  void Stop();
  bool On() const;
  unsigned long long Seed() const;

  // True with the kind's odds, when chaos is on and the kind chosen.
  bool Roll(ChaosKind kind);
  // A number in [low, high] from the same generator.
  unsigned Between(unsigned low, unsigned high);
  // Sleeps a few milliseconds now and then (ChaosKind::Slow).
  void MaybeSlow();
  // `result`, or now and then `odd` in place of an S_OK (ChaosKind::OddSuccess).
  HRESULT MaybeOddSuccess(HRESULT result, HRESULT odd);

 private:
  mutable std::mutex mutex_;
  // Read without the lock first, so that a model without chaos pays no lock.
  std::atomic<bool> on_{false};
  ChaosSettings settings_;
  std::mt19937_64 random_;
};

}  // namespace wmdm_standin
