#include "fault_injector.h"

namespace wmdm_standin {

const char* KindName(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::DeviceManager: return "DeviceManager";
    case ObjectKind::ConnectionPoint: return "ConnectionPoint";
    case ObjectKind::DeviceEnumerator: return "DeviceEnumerator";
    case ObjectKind::Device: return "Device";
    case ObjectKind::StorageEnumerator: return "StorageEnumerator";
    case ObjectKind::Storage: return "Storage";
    case ObjectKind::StorageGlobals: return "StorageGlobals";
    case ObjectKind::MetaData: return "MetaData";
  }
  return "?";
}

void FaultInjector::Inject(ObjectKind kind, const std::string& method, HRESULT result, int times, ObjectId object,
                           int after) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (times == 0) {
    faults_.erase(Key{kind, method, object});
    return;
  }
  faults_[Key{kind, method, object}] = Fault{result, times, after};
}

void FaultInjector::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

int FaultInjector::Calls(ObjectKind kind, const std::string& method, ObjectId object) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (object != 0) {
    auto found = calls_.find(Key{kind, method, object});
    return found == calls_.end() ? 0 : found->second;
  }
  int total = 0;
  for (const auto& [key, count] : calls_)
    if (std::get<0>(key) == kind && std::get<1>(key) == method) total += count;
  return total;
}

std::map<std::pair<ObjectKind, std::string>, int> FaultInjector::CallsByMethod() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::map<std::pair<ObjectKind, std::string>, int> totals;
  for (const auto& [key, count] : calls_) totals[{std::get<0>(key), std::get<1>(key)}] += count;
  return totals;
}

std::vector<std::pair<ObjectKind, std::string>> FaultInjector::CallSequence() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sequence_;
}

void FaultInjector::ResetCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
  sequence_.clear();
}

std::optional<HRESULT> FaultInjector::Enter(ObjectKind kind, const char* method, ObjectId object) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++calls_[Key{kind, method, object}];
  sequence_.emplace_back(kind, method);
  if (object != 0) {
    if (auto result = Take(Key{kind, method, object})) return result;
  }
  return Take(Key{kind, method, 0});
}

std::optional<HRESULT> FaultInjector::Take(const Key& key) {
  auto found = faults_.find(key);
  if (found == faults_.end()) return std::nullopt;
  if (found->second.passing > 0) {
    --found->second.passing;
    return std::nullopt;
  }
  const HRESULT result = found->second.result;
  if (found->second.remaining > 0 && --found->second.remaining == 0) faults_.erase(found);
  return result;
}

}  // namespace wmdm_standin
