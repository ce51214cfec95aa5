#pragma once
// Windows only: how a file takes another's place on a desktop where
// scanners, the search indexer and sync clients open new and replaced files
// for a moment. Kept apart from the calls it makes, so tests can give it
// their errors.

#include <windows.h>

#include <algorithm>
#include <functional>

namespace platform::win {

// Each returns 0 or the error of one Win32 call.
using Attempt = std::function<DWORD()>;
using Pause = std::function<void(DWORD milliseconds)>;

// About two seconds in all of growing pauses.
inline constexpr DWORD kHeldWait = 2000;

inline bool HeldForAMoment(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Tries again while another program holds the file; 0 or the last error.
inline DWORD RetryWhileHeld(const Attempt& attempt, const Pause& pause) {
  DWORD waited = 0;
  for (DWORD wait = 10;; wait = std::min<DWORD>(wait * 2, 400)) {
    const DWORD error = attempt();
    if (error == 0 || !HeldForAMoment(error) || waited >= kHeldWait) return error;
    pause(wait);
    waited += wait;
  }
}

// ReplaceFileW keeps the replaced file's security, owner, attributes and
// streams. Where it cannot act (no such file meanwhile, a file system or
// share without it) the replacement is moved instead; where it could not
// move the replacement, the replaced file is already gone and the move
// finishes the work.
inline DWORD ReplaceKeeping(bool targetExists, const Attempt& replaceFile, const Attempt& moveFile, const Pause& pause) {
  if (targetExists) {
    const DWORD error = RetryWhileHeld(replaceFile, pause);
    const bool move = error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_FILE_NOT_FOUND ||
                      error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
                      error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
    if (!move) return error;
  }
  return RetryWhileHeld(moveFile, pause);
}

}  // namespace platform::win
