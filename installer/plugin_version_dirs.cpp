// Version-specific files directories of MultiVersionSupport plug-ins.
#include <cstdio>

#include "plugin_host.h"
#include "profile_reader.h"
#include "shared/scoped_handle.h"

namespace {

bool ResolveOne(PluginEntry& entry, const ProfileReader& profile, const char* productRootKey,
                LogSink sink) {
  if (!entry.multiVersionSupport) {
    if (sink) sink("Multiversion support not used by plug-in \"%s\"\n", entry.sectionName);
    return true;
  }
  if (sink)
    sink("Multiversion support used by plug-in \"%s\", obtaining version from registry key \"%s\"\n",
         entry.sectionName, entry.regKey);
  if (entry.regKey[0] == '\0') {
    if (sink) sink("No registry key specified, unable to determine application version\n");
    return false;
  }
  char keyPath[512];
  snprintf(keyPath, sizeof(keyPath), "%s\\%s", productRootKey, entry.regKey);
  hx::ScopedRegKey key;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, key.Receive());
  if (status != ERROR_SUCCESS) {
    if (sink)
      sink("Cannot open registry key \"%s\" (error %d), unable to determine application version\n",
           keyPath, static_cast<int>(status));
    return false;
  }
  char version[32] = "";
  DWORD size = sizeof(version) - 1;
  DWORD type = 0;
  status = RegQueryValueExA(key.Get(), "CurrentVersion", nullptr, &type,
                            reinterpret_cast<BYTE*>(version), &size);
  if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
    status = ERROR_INVALID_DATA;
  if (status != ERROR_SUCCESS) {
    if (sink)
      sink("Cannot read application version from registry key \"%s\" (error %d), unable to "
           "determine application version\n",
           keyPath, static_cast<int>(status));
    return false;
  }
  version[size < sizeof(version) ? size : sizeof(version) - 1] = '\0';
  if (sink)
    sink("Application version successfully read from registry key \"%s\": %s\n", keyPath, version);

  char keyName[48];
  snprintf(keyName, sizeof(keyName), "Files_%s", version);
  char directory[256];
  profile.ReadText(entry.sectionName, keyName, directory, sizeof(directory));
  if (directory[0] != '\0') {
    snprintf(entry.files, sizeof(entry.files), "%s", directory);
    if (sink)
      sink("Version-specific files directoy specified: \"%s\" = \"%s\"\n", keyName, entry.files);
  } else if (sink) {
    sink("Version-specific files directoy \"%s\" not specified, using the main files directory "
         "\"%s\"\n",
         keyName, entry.files);
  }
  return true;
}

}  // namespace

bool ResolvePluginVersionDirectories(PluginList& plugins, const char* packagePath,
                                     const char* productRootKey, LogSink sink) {
  IniFileReader profile(packagePath);
  bool all = true;
  for (PluginEntry* entry = plugins.First(); entry; entry = plugins.Next())
    if (!ResolveOne(*entry, profile, productRootKey, sink)) all = false;
  return all;
}
