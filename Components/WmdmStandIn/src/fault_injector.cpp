#include "fault_injector.h"

#include <mswmdm.h>

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

FaultInjector::MethodId FaultInjector::Intern(const std::string& method) {
  const auto found = ids_.find(method);
  if (found != ids_.end()) return found->second;
  const auto id = static_cast<MethodId>(names_.size());
  names_.push_back(method);
  totals_.push_back({});
  ids_.emplace(method, id);
  return id;
}

FaultInjector::MethodId FaultInjector::InternPointer(const char* method) {
  // The same literal keeps its address, so after its first call a method is
  // found by pointer; two copies of one name still share a number.
  const auto found = idsByPointer_.find(method);
  if (found != idsByPointer_.end()) return found->second;
  const MethodId id = Intern(method);
  idsByPointer_.emplace(method, id);
  return id;
}

bool FaultInjector::Known(const std::string& method, MethodId* id) const {
  const auto found = ids_.find(method);
  if (found == ids_.end()) return false;
  *id = found->second;
  return true;
}

void FaultInjector::Inject(ObjectKind kind, const std::string& method, HRESULT result, int times, ObjectId object,
                           int after) {
  std::lock_guard<std::mutex> lock(mutex_);
  const MethodId id = Intern(method);
  if (times == 0) {
    faults_.erase(Key{kind, id, object});
    return;
  }
  faults_[Key{kind, id, object}] = Fault{result, times, after};
}

void FaultInjector::InjectDeath(ObjectKind kind, const std::string& method, HRESULT result, int times,
                                ObjectId object, int after) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[Key{kind, Intern(method), object}] = Fault{result, times, after, true};
}

void FaultInjector::InjectStale(ObjectKind kind, const std::string& method, int times, ObjectId object, int after) {
  InjectDeath(kind, method, kProviderStaleAnswer, times, object, after);
}

void FaultInjector::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
  actions_.clear();
}

void FaultInjector::RunDuringNextCall(ObjectKind kind, const std::string& method, std::function<void()> action) {
  std::lock_guard<std::mutex> lock(mutex_);
  actions_[{kind, Intern(method)}] = std::move(action);
}

void FaultInjector::HandToNewChild(ObjectKind kind, ObjectId folder, ObjectId child) {
  static const std::string kSuffix = "(new child)";
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::pair<std::string, Fault>> handed;
  for (auto fault = faults_.begin(); fault != faults_.end();) {
    const std::string& name = names_[std::get<1>(fault->first)];
    const bool armed = std::get<0>(fault->first) == kind && std::get<2>(fault->first) == folder &&
                       name.size() > kSuffix.size() &&
                       name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
    if (!armed) {
      ++fault;
      continue;
    }
    handed.emplace_back(name.substr(0, name.size() - kSuffix.size()), fault->second);
    fault = faults_.erase(fault);
  }
  for (const auto& [method, fault] : handed) faults_[Key{kind, Intern(method), child}] = fault;
}

int FaultInjector::Calls(ObjectKind kind, const std::string& method, ObjectId object) const {
  std::lock_guard<std::mutex> lock(mutex_);
  MethodId id = 0;
  if (!Known(method, &id)) return 0;
  if (object == 0) return totals_[id][static_cast<size_t>(kind)];
  // Counts per object are asked for by tests only: the list of calls answers
  // them, so that counting a call never grows a table.
  int count = 0;
  for (const Call& call : sequence_)
    if (call.kind == kind && call.method == id && call.object == object) ++count;
  return count;
}

std::map<std::pair<ObjectKind, std::string>, int> FaultInjector::CallsByMethod() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::map<std::pair<ObjectKind, std::string>, int> totals;
  for (MethodId id = 0; id < names_.size(); ++id)
    for (size_t kind = 0; kind < kKinds; ++kind)
      if (totals_[id][kind] > 0) totals[{static_cast<ObjectKind>(kind), names_[id]}] = totals_[id][kind];
  return totals;
}

std::vector<std::pair<ObjectKind, std::string>> FaultInjector::CallSequence() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::pair<ObjectKind, std::string>> calls;
  calls.reserve(sequence_.size());
  for (const Call& call : sequence_) calls.emplace_back(call.kind, names_[call.method]);
  return calls;
}

void FaultInjector::ResetCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& counts : totals_) counts.fill(0);
  sequence_.clear();
}

std::optional<HRESULT> FaultInjector::Enter(ObjectKind kind, const char* method, ObjectId object) {
  bool lasting = false;
  return Enter(kind, method, object, &lasting);
}

std::optional<HRESULT> FaultInjector::Enter(ObjectKind kind, const char* method, ObjectId object, bool* lasting) {
  *lasting = false;
  std::function<void()> action;
  std::unique_lock<std::mutex> lock(mutex_);
  const MethodId id = InternPointer(method);
  ++totals_[id][static_cast<size_t>(kind)];
  sequence_.push_back(Call{kind, id, object});
  if (!actions_.empty()) {
    const auto found = actions_.find({kind, id});
    if (found != actions_.end()) {
      action = std::move(found->second);
      actions_.erase(found);
      // Outside the lock: the action may call the stand-in in turn.
      lock.unlock();
      action();
      lock.lock();
    }
  }
  if (faults_.empty()) return std::nullopt;
  std::optional<HRESULT> result;
  if (object != 0) result = Take(Key{kind, id, object}, lasting);
  if (!result) result = Take(Key{kind, id, 0}, lasting);
  // Storages and their globals know their provider and answer for it; any
  // other object is the platform's own, which answers dead.
  if (result == kProviderStaleAnswer && kind != ObjectKind::Storage && kind != ObjectKind::StorageGlobals)
    result = WMDM_E_INTERFACEDEAD;
  return result;
}

std::optional<HRESULT> FaultInjector::Take(const Key& key, bool* lasting) {
  auto found = faults_.find(key);
  if (found == faults_.end()) return std::nullopt;
  if (found->second.passing > 0) {
    --found->second.passing;
    return std::nullopt;
  }
  const HRESULT result = found->second.result;
  *lasting = found->second.lasting;
  if (found->second.remaining > 0 && --found->second.remaining == 0) faults_.erase(found);
  return result;
}

}  // namespace wmdm_standin
