// The Linux lane's <windows.h>: a labelled subset that declares only what this
// project calls. Each piece lives in the header Windows puts it in.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "guiddef.h"
#include "winbase.h"
#include "fileapi.h"
#include "securitybaseapi.h"
#include "winreg.h"
#include "winuser.h"
#include "winver.h"
#include "objbase.h"
#include "ole2.h"
#include "propidl.h"
