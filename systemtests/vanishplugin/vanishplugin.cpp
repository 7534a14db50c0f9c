// Plug-in for the whole-system fault tests: it names a product directory like
// any plug-in, and when the installer is about to copy the file whose
// destination ends with VanishName, it deletes the package file VanishSource,
// so that the source disappears between the listing of the package's files
// and their copy. Keys of its own section:
//   ProductDir    product directory returned by HX_Initialize
//   VanishName    file name (destination's last part) that triggers the delete
//   VanishSource  full path of the file to delete
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "hxplugin.h"

namespace {

char g_name[MAX_PATH];
char g_source[MAX_PATH];

bool EndsWithName(const char* path, const char* name) {
  size_t n = std::strlen(name), p = std::strlen(path);
  if (n == 0 || p < n || _stricmp(path + p - n, name) != 0) return false;
  return p == n || path[p - n - 1] == '\\' || path[p - n - 1] == '/';
}

}  // namespace

extern "C" {

int HX_CALL VanishInitialize(const char* ini, const char* section, char* productDir, int size,
                             int) {
  GetPrivateProfileStringA(section, "ProductDir", "", productDir, static_cast<DWORD>(size), ini);
  GetPrivateProfileStringA(section, "VanishName", "", g_name, sizeof(g_name), ini);
  GetPrivateProfileStringA(section, "VanishSource", "", g_source, sizeof(g_source), ini);
  return 1;
}

int HX_CALL VanishPreUpdate(const char*, const char*) { return 1; }

int HX_CALL VanishPostUpdate(const char*, const char*, int* rebootAnswer, int) {
  *rebootAnswer = 0;
  return 1;
}

void HX_CALL VanishGetLastError(char* buffer, int size) {
  if (size > 0) buffer[0] = '\0';
}

int HX_CALL VanishCopyFileCallback(const char* destination) {
  if (destination && g_source[0] && EndsWithName(destination, g_name)) {
    DeleteFileA(g_source);
    g_source[0] = '\0';  // once
  }
  return 0;
}

}  // extern "C"
