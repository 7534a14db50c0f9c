// The plug-in interface of tvhxstarter. No exception may leave these
// functions: the host catches nothing around its calls. catch (...) holds C++
// errors only; access violations are not caught (mingw has no structured
// exceptions).
#include <type_traits>

#include "hxplugin.h"
#include "starter.h"

extern "C" {

int HX_CALL HX_Initialize(const char* iniPath, const char* section, char* productDir, int size,
                          int /*flag*/) {
  try {
    return StarterInitialize(iniPath, section, productDir, size);
  } catch (...) {
    return 0;
  }
}

int HX_CALL HX_PreUpdate(const char* iniPath, const char* section) {
  try {
    return StarterPreUpdate(iniPath, section);
  } catch (...) {
    return 1;
  }
}

// The starter never asks for a reboot and starts its program whether or not
// the update failed.
int HX_CALL HX_PostUpdate(const char* iniPath, const char* section, int* /*rebootAnswer*/,
                          int /*updateFailed*/) {
  try {
    return StarterPostUpdate(iniPath, section);
  } catch (...) {
    return 0;
  }
}

// The reasons for a failure are in the starter's own log; the host's buffer
// stays as it was passed.
void HX_CALL HX_GetLastError(char* /*buffer*/, int /*size*/) {}

}  // extern "C"

static_assert(std::is_same<decltype(&HX_Initialize), HX_InitializeFn>::value, "HX_Initialize");
static_assert(std::is_same<decltype(&HX_PreUpdate), HX_PreUpdateFn>::value, "HX_PreUpdate");
static_assert(std::is_same<decltype(&HX_PostUpdate), HX_PostUpdateFn>::value, "HX_PostUpdate");
static_assert(std::is_same<decltype(&HX_GetLastError), HX_GetLastErrorFn>::value,
              "HX_GetLastError");
