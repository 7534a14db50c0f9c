// File installation of the run: each pre-updated plug-in's tree of one
// package subdirectory into its product directory, and the installer's
// answer to every copy event.
#include <cstdio>
#include <cstring>

#include "copy_engine.h"
#include "exit_codes.h"
#include "file_version.h"
#include "hotfix_installer.h"
#include "messaging_library_rename.h"
#include "os_bitness.h"
#include "plugin_host.h"
#include "product_common_directory.h"

namespace {

struct PluginCopyContext {
  HotfixInstaller* installer;
  PluginEntry* entry;
};

const char* OrNull(const char* text) { return text ? text : "<null>"; }

unsigned Part(DWORD value, int shift) { return (value >> shift) & 0xFFFFu; }

// Decides about one file before it is copied. The decisions stand whether or
// not the log is open; only the log lines need it.
DWORD BeforeCopy(HotfixInstaller& installer, const char* destination, const char* source,
                 DWORD flags) {
  if ((flags & kCopyNewerOnly) == 0) {
    installer.Print("Copying: %s => %s (%08x)\n", source, destination, flags);
    return 0;
  }
  FileVersion sourceVersion = ReadFileVersion(source);
  FileVersion destinationVersion = ReadFileVersion(destination);
  bool older = !sourceVersion.IsZero() && !destinationVersion.IsZero() &&
               CompareFileVersions(sourceVersion, destinationVersion) < 0;
  installer.Print(older ? "Don't overwrite newer file: %s(%d.%d.%d.%d) => %s(%d.%d.%d.%d) (%08x)\n"
                        : "Copying: %s(%d.%d.%d.%d) => %s(%d.%d.%d.%d) (%08x)\n",
                  source, Part(sourceVersion.high, 16), Part(sourceVersion.high, 0),
                  Part(sourceVersion.low, 16), Part(sourceVersion.low, 0), destination,
                  Part(destinationVersion.high, 16), Part(destinationVersion.high, 0),
                  Part(destinationVersion.low, 16), Part(destinationVersion.low, 0), flags);
  return older ? kCopyAnswerSkip : 0;
}

DWORD OnCopyEvent(DWORD event, const char* destination, const char* source,
                  const WIN32_FIND_DATAA* /*entry*/, DWORD value, void* context) {
  PluginCopyContext* copy = static_cast<PluginCopyContext*>(context);
  HotfixInstaller& installer = *copy->installer;
  ForwardCopyEvent(*copy->entry, destination);
  switch (event) {
    case kCopyEventBefore:
      return BeforeCopy(installer, destination, source, value);
    case kCopyEventFailed:
      installer.Print("Error %d copying %s => %s\n", static_cast<int>(value), OrNull(source),
                      OrNull(destination));
      installer.SetExitCodeIfZero(kExitFileCopyFailed);
      return 0;
    case kCopyEventDeferred:
      installer.Print("Reboot needed for copying: %s => %s (%08x)\n", source, destination, value);
      return 0;
    default:
      return 0;
  }
}

// programDirectory + "\" if missing + subdirectory + "\" if missing + files.
bool FormSourceDirectory(char (&out)[MAX_PATH], const char* programDirectory,
                         const char* subdirectory, const char* files) {
  size_t length = strlen(programDirectory);
  const char* first = (length > 0 && programDirectory[length - 1] == '\\') ? "" : "\\";
  length = strlen(subdirectory);
  const char* second = (length > 0 && subdirectory[length - 1] == '\\') ? "" : "\\";
  int written =
      snprintf(out, sizeof(out), "%s%s%s%s%s", programDirectory, first, subdirectory, second, files);
  return written >= 0 && static_cast<size_t>(written) < sizeof(out);
}

bool SourceHasFiles(const char* source) {
  DWORD attributes = GetFileAttributesA(source);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool HotfixInstaller::InstallFiles(const char* subdirectory) {
  Print("Installing '%s' files:\n", subdirectory);
  for (PluginEntry* entry = package.plugins.First(); entry; entry = package.plugins.Next()) {
    if (!entry->preUpdateCalled) {
      Print("Skipping files for plug-in \"%s\"\n", entry->sectionName);
      continue;
    }
    char source[MAX_PATH];
    if (!FormSourceDirectory(source, programDirectory, subdirectory, entry->files)) {
      // A cut source would copy another directory: count it as a failed copy.
      Print("Error %d copying %s => %s\n", ERROR_FILENAME_EXCED_RANGE, source,
            entry->productDirectory);
      SetExitCodeIfZero(kExitFileCopyFailed);
      continue;
    }
    if (entry->productDirectory[0] == '\0' && SourceHasFiles(source)) {
      // Without a destination every file would land in the root of the
      // current drive: refuse the tree as a failed copy instead.
      Print("Error %d copying %s => %s\n", ERROR_PATH_NOT_FOUND, source, entry->productDirectory);
      SetExitCodeIfZero(kExitFileCopyFailed);
      continue;
    }
    Print("Installing files for plug-in \"%s\" (%s)\n source=\"%s\", dest=\"%s\"\n",
          entry->sectionName, entry->plugIn, source, entry->productDirectory);
    PluginCopyContext context = {this, entry};
    CopyTreeJob job = {"*.*",
                       kCopyRecurse | (entry->newerFilesOnly ? kCopyNewerOnly : 0),
                       OnCopyEvent,
                       &context,
                       installSupport.copyFile,
                       false};
    CopyTree(entry->productDirectory, source, &job);
    Print("Files for this plug-in installed, reboot request=%d\n", job.rebootNeeded ? 1 : 0);
    if (job.rebootNeeded) rebootNeeded = true;
  }
  return exitCode != kExitFileCopyFailed;
}

bool HotfixInstaller::RenameMessagingLibraries() {
  return ::RenameMessagingLibraries(ProductCommonDirectory(), RunsUnder64BitWindows(),
                                    installSupport.renameAfterReboot);
}
