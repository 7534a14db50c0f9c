#include "plugin_settings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "include/hxplugin.h"

namespace hxgeneric {

namespace {

const char kAbsentMarker[] = "Default String";

void ReadText(const char* ini, const char* section, const char* key, const char* fallback,
              char* out, size_t size) {
  if (!out || size == 0) return;
  out[0] = '\0';
  // A missing section name would make the call list all section names.
  if (!ini || !section) {
    snprintf(out, size, "%s", fallback);
    return;
  }
  GetPrivateProfileStringA(section, key, fallback, out, static_cast<DWORD>(size), ini);
}

}  // namespace

void ReadRegKey(const char* ini, const char* section, char* out, size_t size) {
  ReadText(ini, section, "RegKEy", "", out, size);
}

bool ReadStopService(const char* ini, const char* section, int n, char* out, size_t size) {
  char key[32];
  snprintf(key, sizeof key, "StopService%d", n);
  ReadText(ini, section, key, kAbsentMarker, out, size);
  return strcmp(out, kAbsentMarker) != 0;
}

unsigned ReadDelay(const char* ini, const char* section, const char* key) {
  if (!ini || !section) return 0;
  const int value = static_cast<int>(GetPrivateProfileIntA(section, key, 0, ini));
  return value < 0 ? 0u : static_cast<unsigned>(value);
}

void ReadLanguageFile(const char* ini, const char* section, int n, char* out, size_t size) {
  char key[32];
  snprintf(key, sizeof key, "LanguageFile%d", n);
  ReadText(ini, section, key, "", out, size);
}

void ReadProductLanguage(const char* ini, char* out, size_t size) {
  ReadText(ini, HX_HOST_SECTION, HX_PRODUCT_LANGUAGE_KEY, "", out, size);
}

}  // namespace hxgeneric
