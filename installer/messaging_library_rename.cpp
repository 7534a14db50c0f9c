#include "messaging_library_rename.h"

#include <windows.h>

#include <cwchar>

namespace {
const unsigned kMaxToDeleteNumber = 998;

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

bool FormToDeleteName(wchar_t* out, size_t size, const wchar_t* path, unsigned number) {
  int written = swprintf(out, size, L"%ls.ToDelete.%u", path, number);
  return written >= 0 && static_cast<size_t>(written) < size;
}

bool RenameLibraryOutOfTheWay(const wchar_t* directory, const wchar_t* name,
                              void (*renameAfterReboot)(const char* path)) {
  size_t length = wcslen(directory);
  const wchar_t* separator = (length > 0 && directory[length - 1] == L'\\') ? L"" : L"\\";
  wchar_t path[MAX_PATH];
  int written = swprintf(path, MAX_PATH, L"%ls%ls%ls", directory, separator, name);
  if (written < 0 || written >= MAX_PATH) return false;

  wchar_t newPath[MAX_PATH] = L"";
  for (unsigned number = 1; number <= kMaxToDeleteNumber; ++number) {
    if (!FormToDeleteName(newPath, MAX_PATH, path, number)) return false;
    if (!Exists(newPath)) break;
  }
  if (!Exists(path) || Exists(newPath)) return false;
  if (!MoveFileExW(path, newPath, MOVEFILE_WRITE_THROUGH)) return false;

  char narrow[MAX_PATH];
  int converted =
      WideCharToMultiByte(CP_ACP, 0, newPath, -1, narrow, sizeof(narrow), nullptr, nullptr);
  if (converted > 0 && renameAfterReboot) renameAfterReboot(narrow);
  return true;
}

bool RenameMessagingLibraries(const wchar_t* commonDirectory, bool windows64,
                              void (*renameAfterReboot)(const char* path)) {
  if (!commonDirectory || commonDirectory[0] == L'\0') return false;
  bool ok = RenameLibraryOutOfTheWay(commonDirectory, L"TVMA32.DLL", renameAfterReboot);
  if (windows64 && !RenameLibraryOutOfTheWay(commonDirectory, L"TVMA_64.DLL", renameAfterReboot))
    ok = false;
  return ok;
}
