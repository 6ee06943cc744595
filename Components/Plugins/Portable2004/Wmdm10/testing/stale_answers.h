// The answers of a mass-storage player for an object it no longer knows by
// the reference the plug-in kept, as the retry tests run them: dead, or, from
// a provider that answers storage errors with Win32 codes, "file not found"
// for a file and "path not found" for a folder. The stand-in words a death
// planted with InjectStale as the player is set to, so one table row is one
// kind of player. Each answer gets one retry; met again, it reaches the host
// as `MapResult` makes it: dead as cancelled, a missing object as not found.
#pragma once

#include <windows.h>

#include <mswmdm.h>

#include "player_model.h"

struct StaleAnswer {
  const char* name;
  bool fileErrors;  // the player's staleAsFileErrors
  HRESULT file;     // what a file, and a folder, answers
  HRESULT folder;

  // Sets the player to give these answers.
  bool SetOn(wmdm_standin::PlayerModel& model, wmdm_standin::ObjectId device) const {
    return model.SetStaleAsFileErrors(device, fileErrors);
  }
};

inline const StaleAnswer kStaleAnswers[] = {
    {"dead", false, WMDM_E_INTERFACEDEAD, WMDM_E_INTERFACEDEAD},
    {"file or path not found", true, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
     HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
};
