#include "plugin_host.h"

#include <cstdio>
#include <cstring>

#include "proc_address.h"

namespace {

// Asks the plug-in why its last call failed. The buffer stays empty when the
// plug-in has no HX_GetLastError or writes nothing.
void GetPluginErrorText(const PluginEntry& entry, char (&text)[HX_ERROR_TEXT_SIZE]) {
  memset(text, 0, sizeof(text));
  HX_GetLastErrorFn getLastError =
      LookupExport<HX_GetLastErrorFn>(entry.module.Get(), HX_GETLASTERROR_NAME);
  if (getLastError) getLastError(text, HX_ERROR_TEXT_SIZE);
  text[HX_ERROR_TEXT_SIZE - 1] = '\0';
}

void ReportFailure(const PluginEntry& entry, const char* format, LogSink sink) {
  char text[HX_ERROR_TEXT_SIZE];
  GetPluginErrorText(entry, text);
  if (sink) sink(format, entry.sectionName, text);
}

bool LoadPlugin(PluginEntry& entry, const char* programDirectory, LogSink sink) {
  if (entry.IsLoaded()) return true;
  char path[MAX_PATH];
  int written = snprintf(path, sizeof(path), "%s%s", programDirectory, entry.plugIn);
  if (written < 0 || static_cast<size_t>(written) >= sizeof(path)) {
    // A cut path would name another file; report it as not loadable.
    if (sink) sink("\nLoading \"%s\" failed, error %d\n", path, ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  entry.module.Reset(LoadLibraryA(path));
  if (!entry.IsLoaded()) {
    DWORD error = GetLastError();
    if (sink) sink("\nLoading \"%s\" failed, error %d\n", path, static_cast<int>(error));
    return false;
  }
  return true;
}

bool InitializePlugin(PluginEntry& entry, const char* packagePath, int flag, LogSink sink) {
  HX_InitializeFn initialize =
      LookupExport<HX_InitializeFn>(entry.module.Get(), HX_INITIALIZE_NAME);
  bool ok;
  if (!initialize) {
    entry.initSucceeded = false;
    ok = false;
  } else {
    int result = initialize(packagePath, entry.sectionName, entry.productDirectory,
                            HX_PRODUCT_DIR_SIZE, flag);
    entry.productDirectory[HX_PRODUCT_DIR_SIZE - 1] = '\0';
    entry.copyCallback =
        LookupExport<HX_CopyFileCallbackFn>(entry.module.Get(), HX_COPYFILECALLBACK_NAME);
    entry.initSucceeded = result != 0;
    ok = entry.initSucceeded || entry.ignoreInitFailure;
  }
  if (!ok) ReportFailure(entry, "Plug-in %s initialization failed, error description: \"%s\"\n", sink);
  return ok;
}

}  // namespace

bool LoadAllPlugins(PluginList& plugins, const char* programDirectory, LogSink sink) {
  bool all = true;
  for (PluginEntry* entry = plugins.First(); entry; entry = plugins.Next())
    if (!LoadPlugin(*entry, programDirectory, sink)) all = false;
  return all;
}

bool InitializeAllPlugins(PluginList& plugins, const char* packagePath, int flag, LogSink sink) {
  bool all = true;
  for (PluginEntry* entry = plugins.First(); entry; entry = plugins.Next())
    if (!InitializePlugin(*entry, packagePath, flag, sink)) all = false;
  return all;
}

bool PreUpdateAllPlugins(PluginList& plugins, const char* packagePath, LogSink sink) {
  for (PluginEntry* entry = plugins.First(); entry; entry = plugins.Next()) {
    if (!entry->initSucceeded) continue;
    HX_PreUpdateFn preUpdate =
        LookupExport<HX_PreUpdateFn>(entry->module.Get(), HX_PREUPDATE_NAME);
    bool ok = false;
    if (preUpdate) {
      entry->preUpdateCalled = true;
      ok = preUpdate(packagePath, entry->sectionName) != 0;
    }
    if (!ok) {
      ReportFailure(*entry, "Plug-in %s pre-update failed, error description: \"%s\"\n", sink);
      return false;
    }
  }
  return true;
}

bool PostUpdateAllPlugins(PluginList& plugins, const char* packagePath, bool updateFailed,
                          LogSink sink) {
  bool all = true;
  for (PluginEntry* entry = plugins.First(); entry; entry = plugins.Next()) {
    if (!entry->preUpdateCalled) continue;
    HX_PostUpdateFn postUpdate =
        LookupExport<HX_PostUpdateFn>(entry->module.Get(), HX_POSTUPDATE_NAME);
    bool ok = false;
    if (postUpdate) {
      int rebootAnswer = 0;
      int result = postUpdate(packagePath, entry->sectionName, &rebootAnswer, updateFailed ? 1 : 0);
      if (!updateFailed && result == 0) {
        ok = false;
      } else {
        if (rebootAnswer != 0) entry->rebootRequired = true;
        ok = true;
      }
    }
    if (!ok) {
      ReportFailure(*entry, "Plug-in %s post-update failed, error description: \"%s\"\n", sink);
      all = false;
    }
  }
  return all;
}

void ForwardCopyEvent(const PluginEntry& entry, const char* destinationPath) {
  if (entry.IsLoaded() && entry.copyCallback) entry.copyCallback(destinationPath);
}

bool UnloadAllPlugins(PluginList& plugins) {
  bool all = true;
  for (PluginEntry* entry = plugins.First(); entry; entry = plugins.Next()) {
    entry->copyCallback = nullptr;
    if (entry->IsLoaded() && !entry->module.Close()) all = false;
  }
  return all;
}
