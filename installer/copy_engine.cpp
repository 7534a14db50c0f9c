#include "copy_engine.h"

#include <cstdio>
#include <cstring>

#include "shared/scoped_handle.h"

namespace {

// dir + name into out; false when it does not fit a path.
bool JoinPath(char (&out)[MAX_PATH], const char* directory, const char* name) {
  int written = snprintf(out, sizeof(out), "%s%s", directory, name);
  return written >= 0 && static_cast<size_t>(written) < sizeof(out);
}

// Copies directory into out with a trailing backslash.
bool DirectoryWithBackslash(char (&out)[MAX_PATH], const char* directory) {
  size_t length = strlen(directory);
  const char* separator = (length > 0 && directory[length - 1] == '\\') ? "" : "\\";
  int written = snprintf(out, sizeof(out), "%s%s", directory, separator);
  return written >= 0 && static_cast<size_t>(written) < sizeof(out);
}

bool IsDirectory(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CopyOneFile(const char* destination, const char* source, const WIN32_FIND_DATAA& entry,
                 CopyTreeJob* job) {
  if (job->callback(kCopyEventBefore, destination, source, &entry, job->flags, job->context) ==
      kCopyAnswerSkip)
    return;
  INT32 status = 0;
  INT32 result = job->copyFile(source, destination, &status);
  if (result == 0) {
    if (status == 1) {
      job->rebootNeeded = true;
      job->callback(kCopyEventDeferred, destination, source, &entry, GetLastError(), job->context);
    }
    return;
  }
  job->callback(kCopyEventFailed, destination, source, &entry, static_cast<DWORD>(result),
                job->context);
}

void CopyFiles(const char* destinationDir, const char* sourceDir, CopyTreeJob* job) {
  char search[MAX_PATH];
  if (!JoinPath(search, sourceDir, job->pattern)) return;
  WIN32_FIND_DATAA entry;
  hx::ScopedFindHandle find(FindFirstFileA(search, &entry));
  if (!find) return;
  do {
    if (IsDirectory(entry)) continue;
    char source[MAX_PATH];
    char destination[MAX_PATH];
    if (!JoinPath(source, sourceDir, entry.cFileName) ||
        !JoinPath(destination, destinationDir, entry.cFileName)) {
      // A cut path would name another file: report the file as not copied.
      job->callback(kCopyEventFailed, destination, source, &entry, ERROR_FILENAME_EXCED_RANGE,
                    job->context);
      continue;
    }
    CopyOneFile(destination, source, entry, job);
  } while (FindNextFileA(find.Get(), &entry));
}

bool CopySubdirectories(const char* destinationDir, const char* sourceDir, CopyTreeJob* job) {
  char search[MAX_PATH];
  if (!JoinPath(search, sourceDir, "*.*")) return true;
  WIN32_FIND_DATAA entry;
  hx::ScopedFindHandle find(FindFirstFileA(search, &entry));
  if (!find) return true;
  do {
    // Names with a leading point: ".", ".." and hidden package folders.
    if (!IsDirectory(entry) || entry.cFileName[0] == '.') continue;
    char source[MAX_PATH];
    char destination[MAX_PATH];
    if (!JoinPath(source, sourceDir, entry.cFileName) ||
        !JoinPath(destination, destinationDir, entry.cFileName))
      return false;
    if (!CreateDirectoryA(destination, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    if (!CopyTree(destination, source, job)) return false;
  } while (FindNextFileA(find.Get(), &entry));
  return true;
}

}  // namespace

bool CopyTree(const char* destination, const char* source, CopyTreeJob* job) {
  char destinationDir[MAX_PATH];
  char sourceDir[MAX_PATH];
  if (!DirectoryWithBackslash(destinationDir, destination) ||
      !DirectoryWithBackslash(sourceDir, source))
    return false;
  CopyFiles(destinationDir, sourceDir, job);
  if (job->flags & kCopyRecurse) return CopySubdirectories(destinationDir, sourceDir, job);
  return true;
}
