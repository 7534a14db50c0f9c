// Drives the package's plug-ins through the plug-in interface: version
// directories, loading, initialisation, pre-update, post-update, copy-event
// forwarding and unloading. Every operation walks the list in order and
// reports through the given sink (none: no reports).
#pragma once

#include "log_sink.h"
#include "package_description.h"

// For every MultiVersionSupport plug-in, replaces Files by the section's
// "Files_<version>" key, the version being CurrentVersion of the plug-in's
// RegKey below HKEY_LOCAL_MACHINE\<productRootKey>. True when every lookup
// succeeded; does not stop at a failure.
bool ResolvePluginVersionDirectories(PluginList& plugins, const char* packagePath,
                                     const char* productRootKey, LogSink sink);

// Loads every DLL from programDirectory + PlugIn. True when all are loaded.
bool LoadAllPlugins(PluginList& plugins, const char* programDirectory, LogSink sink);

// HX_Initialize of every plug-in; true when each succeeded or was excused by
// IgnoreInitFailure.
bool InitializeAllPlugins(PluginList& plugins, const char* packagePath, int flag, LogSink sink);

// HX_PreUpdate of every initialised plug-in; stops at the first failure.
bool PreUpdateAllPlugins(PluginList& plugins, const char* packagePath, LogSink sink);

// HX_PostUpdate of every pre-updated plug-in; does not stop at a failure.
bool PostUpdateAllPlugins(PluginList& plugins, const char* packagePath, bool updateFailed,
                          LogSink sink);

// Passes a copy event's destination to the plug-in's HX_CopyFileCallback.
void ForwardCopyEvent(const PluginEntry& entry, const char* destinationPath);

// Frees every loaded DLL; true when every free succeeded.
bool UnloadAllPlugins(PluginList& plugins);
