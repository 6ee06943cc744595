// The host settings store: a COM component of the host application that keeps
// named text entries by category. The plug-in reads its manifest from there;
// the host (and the tests) provide the class.
#pragma once

#include <com_iid.h>
#include <oleauto.h>

DEFINE_PORTABLE_GUID(CLSID_kcSettingsStore, 0xE08DE58F, 0x82D2, 0x4B97, 0xA0, 0x63, 0x95, 0xE3, 0x4E, 0xF2, 0x05,
                     0xDE)
DEFINE_PORTABLE_GUID(IID_kiSettingsStoreObject, 0x287A5355, 0xD5F8, 0x482F, 0xBE, 0xF1, 0x0E, 0x6F, 0xA3, 0x32,
                     0x4B, 0xF4)
DEFINE_PORTABLE_GUID(IID_kiSettingsStore, 0x66791E15, 0x5474, 0x405C, 0x81, 0x97, 0xB1, 0x4E, 0x48, 0x00, 0xF1,
                     0xA1)
DEFINE_PORTABLE_GUID(IID_kiSettingsStore2, 0xFFDEB037, 0xC386, 0x4AD7, 0xAE, 0x80, 0xCD, 0x17, 0x00, 0x0A, 0x8C,
                     0x44)

// The store object as created; the plug-in holds it while it reads entries.
struct kiSettingsStoreObject : public IUnknown {};

struct kiSettingsStore : public IUnknown {
  // A one-dimensional, zero-based SAFEARRAY of BSTR entry names.
  virtual HRESULT STDMETHODCALLTYPE ListEntries(BSTR category, SAFEARRAY** names) = 0;
  // Only S_OK hands out a text.
  virtual HRESULT STDMETHODCALLTYPE GetEntry(BSTR category, BSTR name, BSTR* text) = 0;
};

struct kiSettingsStore2 : public IUnknown {
  // Slots 3 to 6: the plug-in never calls them.
  virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
  // As ListEntries, narrowed by a filter the store interprets.
  virtual HRESULT STDMETHODCALLTYPE ListEntriesFiltered(BSTR filter, BSTR category, SAFEARRAY** names) = 0;
};

DECLARE_INTERFACE_ID(kiSettingsStoreObject, IID_kiSettingsStoreObject)
DECLARE_INTERFACE_ID(kiSettingsStore, IID_kiSettingsStore)
DECLARE_INTERFACE_ID(kiSettingsStore2, IID_kiSettingsStore2)
