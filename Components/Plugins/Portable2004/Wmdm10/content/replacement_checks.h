// What a transfer checks before it takes anything away for a file it is to
// replace: nothing is touched unless the new file has a chance to land.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

// S_OK when the source at `sourcePath` is a regular file that opens and
// reads (HRESULT_FROM_WIN32 of ERROR_FILE_NOT_FOUND when it is missing or no
// file, ERROR_ACCESS_DENIED when it cannot be opened or read), fits in the
// free space of `folder`'s medium with the `old` file's room added
// (ERROR_DISK_FULL; not checked when the medium reports no free space), and
// `folder` takes it under `fileName` over the old file, as the device answers
// a query insert in `sendMode` (a device that cannot answer is not asked
// again).
HRESULT CheckReplacement(const ComPtr<IWMDMStorage>& folder, IWMDMStorage* old, const WString& sourcePath,
                         const WString& fileName, UINT sendMode);
