// Scriptable plug-in for the installer's tests. Its behaviour comes from its
// own section of the package description:
//   TestInit, TestPre, TestPost  result of the entry point (default 1)
//   TestReboot                   reboot answer stored by HX_PostUpdate
//   TestProductDir               product directory returned by HX_Initialize
//   TestError                    text handed out by HX_GetLastError
//   TestTrace                    file that every call is appended to, one line each
// Which entry points a build exports is chosen by its .def file.
#include <windows.h>

#include <cstdio>

#include "hxplugin.h"

namespace {

char g_trace[MAX_PATH];
char g_section[256];
char g_error[256];

int ReadInt(const char* ini, const char* section, const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, ini));
}

void Remember(const char* ini, const char* section) {
  snprintf(g_section, sizeof(g_section), "%s", section);
  GetPrivateProfileStringA(section, "TestTrace", "", g_trace, sizeof(g_trace), ini);
  GetPrivateProfileStringA(section, "TestError", "", g_error, sizeof(g_error), ini);
}

// Appends "<what> <section>[ <detail>]" to the trace file.
void Trace(const char* what, const char* detail) {
  if (g_trace[0] == '\0') return;
  FILE* file = fopen(g_trace, "a");
  if (!file) return;
  fprintf(file, "%s %s%s%s\n", what, g_section, detail[0] ? " " : "", detail);
  fclose(file);
}

}  // namespace

extern "C" {

int HX_CALL TestInitialize(const char* ini, const char* section, char* productDir, int size,
                           int flag) {
  Remember(ini, section);
  GetPrivateProfileStringA(section, "TestProductDir", "", productDir, size, ini);
  char detail[16];
  snprintf(detail, sizeof(detail), "%d", flag);
  Trace("init", detail);
  return ReadInt(ini, section, "TestInit", 1);
}

int HX_CALL TestPreUpdate(const char* ini, const char* section) {
  Remember(ini, section);
  Trace("pre", "");
  return ReadInt(ini, section, "TestPre", 1);
}

int HX_CALL TestPostUpdate(const char* ini, const char* section, int* rebootAnswer,
                           int updateFailed) {
  Remember(ini, section);
  Trace("post", updateFailed ? "1" : "0");
  *rebootAnswer = ReadInt(ini, section, "TestReboot", 0);
  return ReadInt(ini, section, "TestPost", 1);
}

void HX_CALL TestGetLastError(char* buffer, int size) {
  if (size > 0) snprintf(buffer, static_cast<size_t>(size), "%s", g_error);
}

int HX_CALL TestCopyFileCallback(const char* destination) {
  Trace("copy", destination);
  return 0;
}

}  // extern "C"
