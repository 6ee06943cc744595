// What one DownloadFile call came to, as a host tells its user: the answer,
// the outcome the plug-in wrote and whether it reported the end of a transfer
// together decide whether the file was sent, kept or replaced.
#pragma once

#include <windows.h>

#include <string>

enum class SendOutcome { kSent, kKept, kReplaced, kFailed };

// The outcome value the plug-in writes when it deleted an existing file of
// the same name and sent the new one in its place.
inline constexpr DWORD kOutcomeReplaced = 1;

// `ended`: the plug-in called OperationEnded with this send's cookie. A
// success without it sent nothing: the file already there was kept (or, with
// a playlist as target, added to it).
SendOutcome ClassifySend(HRESULT result, DWORD outcome, bool ended);

const char* OutcomeWord(SendOutcome outcome);

// The host's own words for a result the plug-in answers ("no room left on
// the medium"); the empty text for one it has no words for.
std::string ResultText(HRESULT result);
