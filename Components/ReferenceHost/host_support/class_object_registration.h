// Offers one existing object under a class id for as long as the registration
// lives: every CoCreateInstance of the class in this apartment gets that object.
// This is how a host puts its own components (the settings store) where the
// plug-in's CoCreateInstance finds them.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <com_ptr.h>

class ClassObjectRegistration {
 public:
  // Registers with CoRegisterClassObject in the calling thread's apartment
  // (COM must be initialised there); Result() tells whether it worked.
  ClassObjectRegistration(REFCLSID clsid, IUnknown* instance);
  ClassObjectRegistration(const ClassObjectRegistration&) = delete;
  ClassObjectRegistration& operator=(const ClassObjectRegistration&) = delete;
  // Revokes the class object; call on the registering thread, before
  // CoUninitialize.
  ~ClassObjectRegistration();

  HRESULT Result() const { return result_; }
  // How many objects the class handed out.
  ULONG CreatedCount() const;

 private:
  class Factory;
  ComPtr<Factory> factory_;
  DWORD cookie_ = 0;
  HRESULT result_ = E_FAIL;
};
