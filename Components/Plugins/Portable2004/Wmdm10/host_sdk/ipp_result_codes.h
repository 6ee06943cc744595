// The host's result codes: every slot of the plug-in answers one of these.
#pragma once

#include <windows.h>
#include <oleauto.h>

#define IPP_S_OK ((HRESULT)0x00000000L)
#define IPP_S_FALSE ((HRESULT)0x00000001L)
#define IPP_S_BUSY ((HRESULT)0x00040001L)
#define IPP_E_NOTSUPPORTED ((HRESULT)0x80040010L)
#define IPP_E_DISKFULL ((HRESULT)0x80040011L)
#define IPP_E_FAIL ((HRESULT)0x80040012L)
#define IPP_E_STALE ((HRESULT)0x80040013L)
#define IPP_E_UNKNOWNPROPERTY ((HRESULT)0x80040014L)
#define IPP_E_NOTFOUND ((HRESULT)0x80040015L)
#define IPP_E_ALREADYEXISTS ((HRESULT)0x80040016L)
#define IPP_E_CANCELLED ((HRESULT)0x80040019L)
#define IPP_E_CANNOTCREATE ((HRESULT)0x8004001CL)

// What GetIPPSDKVersion answers: the SDK generation the plug-in was built for.
#define IPP_SDK_VERSION ((DWORD)0x07D40004u)
