// How the started program is named and how its command line is formed; no
// operating-system calls in here.
#pragma once

#include <windows.h>

#include <string>

// Writes "<root>\<path>" into out (MAX_PATH characters including the
// terminator). Returns false, leaving out empty, when it does not fit.
bool FormApplicationPath(const char* root, const char* path, char (&out)[MAX_PATH]);

// The application path in double quotes, so that a path with blanks can
// only name this one program, then one blank and the arguments as given,
// unless there are none.
std::string FormCommandLine(const char* applicationPath, const char* arguments);

// Cuts a file path after its last backslash, which stays. A path without a
// backslash is left as it is.
void CutAfterLastBackslash(char* path);
