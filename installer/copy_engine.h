// Copies a directory tree file by file through a file-copy function, telling
// an event callback about every file before it is copied, after a failed
// copy and after a copy that waits for the next restart.
#pragma once

#include <windows.h>

// Copy flags; also the value of the before-copy event.
const DWORD kCopyRecurse = 0x10;     // descend into subdirectories
const DWORD kCopyNewerOnly = 0x40;   // do not replace a file by an older version

// Events passed to the callback.
const DWORD kCopyEventBefore = 0;    // value: the copy flags
const DWORD kCopyEventFailed = 1;    // value: the copy function's error code
const DWORD kCopyEventDeferred = 4;  // value: the last-error value at that moment

// Callback answer that skips the file of a before-copy event.
const DWORD kCopyAnswerSkip = 3;

typedef DWORD (*CopyEventCallback)(DWORD event, const char* destination, const char* source,
                                   const WIN32_FIND_DATAA* entry, DWORD value, void* context);

// The file copy: 0 when copied or scheduled (status 1: at the next restart),
// otherwise an error code.
typedef INT32 (*CopyFileFunction)(const char* source, const char* destination, INT32* status);

struct CopyTreeJob {
  const char* pattern;  // file name pattern in each directory, such as "*.*"
  DWORD flags;
  CopyEventCallback callback;
  void* context;
  CopyFileFunction copyFile;
  bool rebootNeeded;  // set when any copy was deferred to the next restart
};

// Copies the files of source matching the pattern into destination and, with
// kCopyRecurse, every subdirectory whose name does not begin with "." (created
// below destination as needed). A missing source copies nothing and succeeds.
// False when a directory cannot be created.
bool CopyTree(const char* destination, const char* source, CopyTreeJob* job);
