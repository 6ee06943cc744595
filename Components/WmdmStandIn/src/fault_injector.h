// Scripted failures and call counts, so that tests can make the platform
// misbehave on cue and check how often the plug-in asked it something.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "model_types.h"

namespace wmdm_standin {

// The kinds of object the stand-in hands out; a fault or a count names a
// method of one kind, e.g. (ObjectKind::Storage, "GetName").
enum class ObjectKind {
  DeviceManager,
  ConnectionPoint,
  DeviceEnumerator,
  Device,
  StorageEnumerator,
  Storage,
  StorageGlobals,
  MetaData,
};

const char* KindName(ObjectKind kind);

// Counts for ever.
inline constexpr int kEveryCall = -1;

// Armed as a fault's answer (InjectStale), it stands for what the object's
// provider says of an object it no longer knows by the reference held: a
// storage answers as its player does (dead; an MTP player's invalid handle;
// "file not found", or "path not found" for a folder, on a player that
// answers storage errors with Win32 codes), storage globals as their
// medium's root, every other kind dead. A test of a retry then runs
// unchanged against each kind of provider.
inline constexpr HRESULT kProviderStaleAnswer = static_cast<HRESULT>(0xA004FFFFu);

class FaultInjector {
 public:
  // The next `times` calls of `method` on objects of `kind` answer `result`
  // without doing anything. With an object id only that object's calls are
  // affected: a device's, a storage's, a medium's globals (the medium's id),
  // an enumerator's (the id of what it enumerates), a metadata object's (the
  // storage it was read from). A fault for one object is used before a fault
  // for the whole kind.
  // `after` calls go through untouched before the fault takes effect, so
  // that a sweep can fail exactly the nth call.
  void Inject(ObjectKind kind, const std::string& method, HRESULT result, int times = 1, ObjectId object = 0,
              int after = 0);
  // As Inject, for a stale-object answer that outlives the call: the object
  // that gave it gives it to every later call, as a reference the device has
  // forgotten does, while the same object looked up afresh is a new, live one.
  // Storages honour it (they are what a client keeps); other kinds take it
  // as a plain fault.
  void InjectDeath(ObjectKind kind, const std::string& method, HRESULT result, int times = 1, ObjectId object = 0,
                   int after = 0);
  // InjectDeath with the answer the object's provider gives (kProviderStaleAnswer).
  void InjectStale(ObjectKind kind, const std::string& method, int times = 1, ObjectId object = 0, int after = 0);
  void ClearFaults();
  // The next call of `method` on an object of `kind` first runs `action` on
  // the caller's thread, then goes on as usual: what the platform does while
  // a client's call is under way (a message delivered during a send, while
  // the client holds its own lock).
  void RunDuringNextCall(ObjectKind kind, const std::string& method, std::function<void()> action);
  // A fault armed as "<method>(new child)" for a folder passes, when an
  // object is made in that folder, to that object's `method` (a new track's
  // "GetName"): a test cannot name an object before it exists. Handing it on
  // counts as no call.
  void HandToNewChild(ObjectKind kind, ObjectId folder, ObjectId child);

  // Calls made so far, of one object or (object 0) of every object of the kind.
  int Calls(ObjectKind kind, const std::string& method, ObjectId object = 0) const;
  void ResetCalls();
  // Every method called so far with its count over all objects of its kind.
  std::map<std::pair<ObjectKind, std::string>, int> CallsByMethod() const;
  // The same calls in the order they came.
  std::vector<std::pair<ObjectKind, std::string>> CallSequence() const;

  // Every stand-in method starts here: the call is counted, and an injected
  // result, if one is due, is handed back for the method to return.
  std::optional<HRESULT> Enter(ObjectKind kind, const char* method, ObjectId object);
  // The same, saying in `lasting` whether the answer was armed by InjectDeath.
  std::optional<HRESULT> Enter(ObjectKind kind, const char* method, ObjectId object, bool* lasting);

 private:
  // Methods are counted by number: a call with nothing armed compares no
  // text and allocates nothing once its method has been seen, so that the
  // stand-in's own bookkeeping does not swamp what a benchmark measures.
  using MethodId = unsigned;
  static constexpr size_t kKinds = static_cast<size_t>(ObjectKind::MetaData) + 1;
  struct Call {
    ObjectKind kind;
    MethodId method;
    ObjectId object;
  };
  using Key = std::tuple<ObjectKind, MethodId, ObjectId>;
  struct Fault {
    HRESULT result;
    int remaining;
    int passing = 0;  // calls still let through first
    bool lasting = false;  // armed by InjectDeath
  };
  // The number of a method's name, given a new one when first seen; the
  // `Known` form gives none and answers false for a name never seen.
  MethodId Intern(const std::string& method);
  MethodId InternPointer(const char* method);
  bool Known(const std::string& method, MethodId* id) const;
  std::optional<HRESULT> Take(const Key& key, bool* lasting);

  mutable std::mutex mutex_;
  std::vector<std::string> names_;                              // by MethodId
  std::unordered_map<std::string, MethodId> ids_;               // by name
  std::unordered_map<const char*, MethodId> idsByPointer_;      // by the caller's literal
  std::vector<std::array<int, kKinds>> totals_;                 // by MethodId, then kind
  std::vector<Call> sequence_;                                  // every call since the last reset
  std::map<Key, Fault> faults_;
  std::map<std::pair<ObjectKind, MethodId>, std::function<void()>> actions_;
};

}  // namespace wmdm_standin

// Opens a stand-in COM method: counts it and returns an injected result.
#define STANDIN_ENTER(injector, kind, method, object)                          \
  do {                                                                         \
    if (auto injected_ = (injector).Enter((kind), (method), (object))) return *injected_; \
  } while (0)
