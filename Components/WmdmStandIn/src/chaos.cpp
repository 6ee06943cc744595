#include "chaos.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace wmdm_standin {
namespace {

// Per mille: often enough that a session of a few hundred calls meets each.
unsigned OddsOf(ChaosKind kind) {
  switch (kind) {
    case ChaosKind::Busy: return 40;
    case ChaosKind::EarlyEnd: return 15;
    case ChaosKind::ShortBatch: return 250;
    case ChaosKind::OddSuccess: return 250;
    case ChaosKind::Slow: return 30;
    case ChaosKind::RemoveStore: return 5;
  }
  return 0;
}

}  // namespace

unsigned ChaosKindNamed(const std::string& name) {
  static const std::pair<const char*, ChaosKind> kNames[] = {
      {"busy", ChaosKind::Busy},           {"early-end", ChaosKind::EarlyEnd}, {"short-batch", ChaosKind::ShortBatch},
      {"odd-success", ChaosKind::OddSuccess}, {"slow", ChaosKind::Slow},       {"remove-store", ChaosKind::RemoveStore}};
  for (const auto& [text, kind] : kNames)
    if (name == text) return static_cast<unsigned>(kind);
  return 0;
}

std::optional<ChaosSettings> ParseChaos(const std::string& text) {
  std::istringstream parts(text);
  std::string part;
  if (!std::getline(parts, part, ',') || part.empty()) return std::nullopt;
  char* end = nullptr;
  ChaosSettings settings;
  settings.seed = std::strtoull(part.c_str(), &end, 0);
  if (*end != 0) return std::nullopt;
  unsigned kinds = 0;
  while (std::getline(parts, part, ',')) {
    const unsigned kind = ChaosKindNamed(part);
    if (kind == 0) return std::nullopt;
    kinds |= kind;
  }
  if (kinds != 0) settings.kinds = kinds;
  return settings;
}

std::optional<ChaosSettings> ChaosFromEnvironment() {
  const char* text = std::getenv("MD_STANDIN_CHAOS");
  return text ? ParseChaos(text) : std::nullopt;
}

void Chaos::Start(const ChaosSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  on_ = true;
  settings_ = settings;
  random_.seed(settings.seed);
  // Where a failing run is found again.
  std::fprintf(stderr, "stand-in chaos: seed %llu kinds 0x%x (MD_STANDIN_CHAOS=%llu repeats it)\n", settings.seed,
               settings.kinds, settings.seed);
}

void Chaos::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  on_ = false;
}

bool Chaos::On() const { return on_; }

unsigned long long Chaos::Seed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_.seed;
}

bool Chaos::Roll(ChaosKind kind) {
  if (!on_) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!on_ || (settings_.kinds & static_cast<unsigned>(kind)) == 0) return false;
  return random_() % 1000 < OddsOf(kind);
}

unsigned Chaos::Between(unsigned low, unsigned high) {
  std::lock_guard<std::mutex> lock(mutex_);
  return low + static_cast<unsigned>(random_() % (high - low + 1));
}

void Chaos::MaybeSlow() {
  if (!Roll(ChaosKind::Slow)) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(Between(1, 4)));
}

HRESULT Chaos::MaybeOddSuccess(HRESULT result, HRESULT odd) {
  return result == S_OK && Roll(ChaosKind::OddSuccess) ? odd : result;
}

}  // namespace wmdm_standin
