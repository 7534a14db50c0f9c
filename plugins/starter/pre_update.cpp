#include "log.h"
#include "settings.h"
#include "starter.h"

int StarterPreUpdate(const char* iniPath, const char* section) {
  const char* const operation = "HX_PreUpdate";
  const StarterSettings& settings = Settings();
  if (settings.path[0] != '\0') {
    Log::log(kStarterLogLevel, "%s(): Using %s file, %s section\n", operation,
             iniPath ? iniPath : "", section ? section : "");
    Log::log(kStarterLogLevel, "%s(): Will start application %s\n", operation, settings.path);
  }
  return 1;
}
