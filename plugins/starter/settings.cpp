#include "settings.h"

StarterSettings DefaultSettings() {
  StarterSettings settings = {};
  settings.timeout = StarterSettings::kDefaultTimeout;
  return settings;
}

StarterSettings& Settings() {
  static StarterSettings settings = DefaultSettings();
  return settings;
}
