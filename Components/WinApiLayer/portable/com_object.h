// The one base of the COM objects we implement, in the manner of WRL's
// RuntimeClass: a class names the interfaces it answers and writes only its
// own methods.
//
//   class Sink final : public ComObject<Sink, IWMDMNotification> { ... };
//   class Storage final : public ComObject<Storage, Chain<IWMDMStorage4, IWMDMStorage3, IWMDMStorage2,
//                                                         IWMDMStorage>, IWMDMStorageControl3> { ... };
//   ComPtr<Sink> sink = MakeComObject<Sink>(arguments...);  // null when memory ran out
//
// QueryInterface answers IUnknown through the first interface listed and each
// listed id with its interface; anything else goes to the class's
// QueryOtherInterface (aggregated inner objects, private ids), which by
// default refuses. The reference count is one atomic; the object is deleted
// as its own class when it reaches zero. The base adds no virtual function:
// the vtables are exactly those of the interfaces.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "com_iid.h"
#include "com_ptr.h"

// An interface listed together with the interfaces it derives from, which the
// object then also answers: Chain<IWMDeviceManager3, IWMDeviceManager2,
// IWMDeviceManager>. Only the first is inherited.
template <typename Most, typename... Bases>
struct Chain {};

namespace com_object_detail {

template <typename Entry>
struct EntryTraits {
  using Inherited = Entry;
  static bool Answers(REFIID iid) { return IsEqualIID(iid, InterfaceIdOf<Entry>::Get()) != 0; }
};

template <typename Most, typename... Bases>
struct EntryTraits<Chain<Most, Bases...>> {
  static_assert((std::is_base_of_v<Bases, Most> && ...), "a chain lists interfaces its first one derives from");
  using Inherited = Most;
  static bool Answers(REFIID iid) {
    return IsEqualIID(iid, InterfaceIdOf<Most>::Get()) || ((IsEqualIID(iid, InterfaceIdOf<Bases>::Get()) != 0) || ...);
  }
};

template <typename First, typename... Rest>
struct FirstOf {
  using Type = First;
};

}  // namespace com_object_detail

template <typename Derived, typename... Entries>
class ComObject : public com_object_detail::EntryTraits<Entries>::Inherited... {
  using Primary = typename com_object_detail::EntryTraits<
      typename com_object_detail::FirstOf<Entries...>::Type>::Inherited;

 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = static_cast<IUnknown*>(static_cast<Primary*>(this));
    } else {
      // The first listed entry that answers the id; its interface pointer.
      (void)((com_object_detail::EntryTraits<Entries>::Answers(iid) &&
              (*out = static_cast<typename com_object_detail::EntryTraits<Entries>::Inherited*>(this), true)) ||
             ...);
    }
    if (!*out) return static_cast<Derived*>(this)->QueryOtherInterface(iid, out);
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

  // The count as it stands, for tests that check it.
  ULONG References() const { return references_.load(); }

 protected:
  ComObject() = default;
  ~ComObject() = default;

  // Answers ids beyond the listed ones. A class that has such ids hides this
  // with a public one of its own: it fills `out` (adding the reference) or
  // answers E_NOINTERFACE with `out` left null.
  HRESULT QueryOtherInterface(REFIID, void**) { return E_NOINTERFACE; }

 private:
  std::atomic<ULONG> references_{1};
};

// A new object of class T holding one reference, or null when memory ran out.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  ComPtr<T> made;
  try {
    made.Attach(new (std::nothrow) T(std::forward<Args>(args)...));
  } catch (const std::bad_alloc&) {
    // A member's own allocation failed while constructing: no object.
  }
  return made;
}

// A new object of class T handed to a caller's out parameter as interface I,
// with its one reference; E_OUTOFMEMORY (and null) when it cannot be made.
template <typename T, typename I, typename... Args>
HRESULT MakeComObjectInto(I** out, Args&&... args) {
  if (!out) return E_POINTER;
  ComPtr<T> made = MakeComObject<T>(std::forward<Args>(args)...);
  *out = made.Detach();
  return *out ? S_OK : E_OUTOFMEMORY;
}
