// The DOM objects' base: the common COM object plus IDispatch, which the DOM
// interfaces derive from and nothing here calls by name.
#pragma once

#include <com_object.h>
#include <msxml_ids.h>

#include "msxml_text.h"

namespace winapi::msxml {

template <typename Derived, typename Interfaces>
class DomDispatch : public ComObject<Derived, Interfaces> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return NotImplemented("GetTypeInfoCount"); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return NotImplemented("GetTypeInfo"); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return NotImplemented("GetIDsOfNames");
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return NotImplemented("Invoke");
  }
};

}  // namespace winapi::msxml
