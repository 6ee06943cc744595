#include "host_support/send_outcome.h"

#include <ipp_result_codes.h>

SendOutcome ClassifySend(HRESULT result, DWORD outcome, bool ended) {
  if (FAILED(result)) return SendOutcome::kFailed;
  if (outcome == kOutcomeReplaced) return SendOutcome::kReplaced;
  return ended ? SendOutcome::kSent : SendOutcome::kKept;
}

const char* OutcomeWord(SendOutcome outcome) {
  switch (outcome) {
    case SendOutcome::kSent: return "sent";
    case SendOutcome::kKept: return "kept";
    case SendOutcome::kReplaced: return "replaced";
    case SendOutcome::kFailed: break;
  }
  return "failed";
}

std::string ResultText(HRESULT result) {
  struct Words {
    HRESULT result;
    const char* text;
  };
  static const Words kWords[] = {
      {IPP_E_NOTSUPPORTED, "not supported by the player"},
      {IPP_E_DISKFULL, "no room left on the medium"},
      {IPP_E_FAIL, "the plug-in or the player failed"},
      {IPP_E_STALE, "the folder changed since it was listed"},
      {IPP_E_NOTFOUND, "the medium is gone (taken out?), or no such folder or playlist"},
      {IPP_E_ALREADYEXISTS, "a file or folder of that name is already there"},
      {IPP_E_CANCELLED, "cancelled"},
      {IPP_E_CANNOTCREATE, "the file cannot be created there"},
      {E_NOTIMPL, "the plug-in cannot send files"},
  };
  for (const Words& words : kWords)
    if (words.result == result) return words.text;
  return std::string();
}
