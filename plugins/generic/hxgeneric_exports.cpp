// Entry points of the generic plug-in hxgeneric.dll, called by the hotfix
// installer (see include/hxplugin.h). Settings come from the plug-in's own
// section of the package description; the only state kept between calls is
// the table of services stopped before the update.
#include <windows.h>

#include <cstring>

#include "include/hxplugin.h"
#include "language_files.h"
#include "platform_kind.h"
#include "product_dir.h"
#include "service_cycle.h"

namespace {

// Zero at load; filled by HX_PreUpdate, read by HX_PostUpdate.
hxgeneric::StoppedServiceTable g_stopped_services;

void CopyCut(char* buffer, int size, const char* text) {
  if (!buffer || size <= 0) return;
  const size_t room = static_cast<size_t>(size) - 1;
  size_t n = strlen(text);
  if (n > room) n = room;
  memcpy(buffer, text, n);
  buffer[n] = '\0';
}

}  // namespace

// Caller-cleans convention: the host passes a fifth argument (and a fourth to
// HX_PostUpdate) that these declarations leave out on purpose.
extern "C" {

int HX_CALL HX_Initialize(const char* ini, const char* section, char* product_dir, int size) {
  char dir[hxgeneric::kProductDirSize];
  if (!hxgeneric::FindProductDirectory(ini, section, dir)) return 0;
  CopyCut(product_dir, size, dir);
  return 1;
}

int HX_CALL HX_PreUpdate(const char* ini, const char* section) {
  hxgeneric::StopListedServices(ini, section, hxgeneric::GetPlatformKind(), g_stopped_services);
  return 1;
}

// The update-failed flag is not read: services stopped before a vetoed update
// must run again all the same.
int HX_CALL HX_PostUpdate(const char* ini, const char* section, int* reboot_answer) {
  char log_path[MAX_PATH];
  const bool have_log = hxgeneric::LanguageLogPath(log_path, sizeof log_path);
  hxgeneric::CopyLanguageFiles(ini, section, have_log ? log_path : nullptr);
  hxgeneric::StartStoppedServices(ini, section, hxgeneric::GetPlatformKind(), g_stopped_services,
                                  reboot_answer);
  return 1;
}

void HX_CALL HX_GetLastError(char* buffer, int size) {
  CopyCut(buffer, size, "Error information not available.");
}

// Nothing to set up or release: the table is plain module data.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
