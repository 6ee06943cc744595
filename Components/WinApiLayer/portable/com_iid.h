// Ties an interface type to its IID so that ComPtr::As and friends can query
// without naming the IID at every call (the role __uuidof plays under MSVC).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

template <typename Interface>
struct InterfaceIdOf;

#define DECLARE_INTERFACE_ID(Interface, iid) \
  template <>                                \
  struct InterfaceIdOf<Interface> {          \
    static REFIID Get() { return iid; }      \
  };

// A GUID defined in a header, one definition for the whole program.
#define DEFINE_PORTABLE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline const GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}};

DECLARE_INTERFACE_ID(IUnknown, IID_IUnknown)
DECLARE_INTERFACE_ID(IClassFactory, IID_IClassFactory)
DECLARE_INTERFACE_ID(ISequentialStream, IID_ISequentialStream)
DECLARE_INTERFACE_ID(IStream, IID_IStream)
DECLARE_INTERFACE_ID(IMarshal, IID_IMarshal)
DECLARE_INTERFACE_ID(IRunnableObject, IID_IRunnableObject)
DECLARE_INTERFACE_ID(IDispatch, IID_IDispatch)
DECLARE_INTERFACE_ID(IConnectionPoint, IID_IConnectionPoint)
DECLARE_INTERFACE_ID(IConnectionPointContainer, IID_IConnectionPointContainer)
