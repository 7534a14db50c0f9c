#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "installation_root.h"
#include "log.h"
#include "settings.h"
#include "starter.h"

namespace {

const char* const kOperation = "HX_Initialize";
const char* const kFallbackLogDir = "c:\\tvhxstarterlog";
const char* const kLogFileName = "tvhxstarter.log";

// <common application data>\Tarnvale\logs, or the fixed fall-back when the
// shell cannot name that folder.
void ChooseLogDirectory(char (&directory)[MAX_PATH]) {
  char appData[MAX_PATH] = {};
  HRESULT hr = SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                appData);
  if (SUCCEEDED(hr) && appData[0] != '\0') {
    snprintf(directory, sizeof directory, "%s\\Tarnvale\\logs", appData);
  } else {
    snprintf(directory, sizeof directory, "%s", kFallbackLogDir);
  }
}

void ReadText(const char* iniPath, const char* section, const char* key, char* buffer,
              DWORD size, const char* what) {
  DWORD copied = GetPrivateProfileStringA(section, key, "", buffer, size, iniPath);
  Log::log(kStarterLogLevel, what, kOperation, buffer);
  Log::log(kStarterLogLevel, "%s(): CharsCopied = %d\n", kOperation, static_cast<int>(copied));
}

int ReadInt(const char* iniPath, const char* section, const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, iniPath));
}

}  // namespace

int StarterInitialize(const char* iniPath, const char* section, char* productDir, int size) {
  Log::SetLogLevel(kStarterLogThreshold);
  char logDirectory[MAX_PATH] = {};
  ChooseLogDirectory(logDirectory);
  Log::SetLogDirName(logDirectory);
  Log::SetLogFileName(kLogFileName);

  // A null file or section would make the profile calls read win.ini or
  // list section names instead.
  if (iniPath == nullptr || section == nullptr) return 0;
  Log::log(kStarterLogLevel, "%s(): Using %s file, %s section\n", kOperation, iniPath, section);

  StarterSettings& settings = Settings();
  ReadText(iniPath, section, "Files", settings.files, StarterSettings::kTextSize,
           "%s(): Got the following Files folder:[%s].\n");
  ReadText(iniPath, section, "Path", settings.path, StarterSettings::kTextSize,
           "%s(): Got the following Path to PE-file:[%s].\n");
  if (settings.path[0] == '\0') {
    Log::log(kStarterLogLevel, "%s(): Product cannot be updated - no Path value!\n", kOperation);
    return 0;
  }
  ReadText(iniPath, section, "CommandLine", settings.commandLine,
           StarterSettings::kCommandLineSize, "%s(): Got the following CommandLine:[%s].\n");

  settings.timeout = ReadInt(iniPath, section, "Timeout", StarterSettings::kDefaultTimeout);
  Log::log(kStarterLogLevel, "%s(): Timeout = %d\n", kOperation, settings.timeout);
  settings.terminate = FlagFromProfileInt(ReadInt(iniPath, section, "Terminate", 0));
  Log::log(kStarterLogLevel, "%s(): Terminate = %d\n", kOperation, settings.terminate ? 1 : 0);
  settings.deletePEfile = FlagFromProfileInt(ReadInt(iniPath, section, "DeletePEfile", 0));
  Log::log(kStarterLogLevel, "%s(): DeletePEfile = %d\n", kOperation,
           settings.deletePEfile ? 1 : 0);

  Log::log(kStarterLogLevel, "%s(): GetInstallationRootPath.\n", kOperation);
  if (!GetInstallationRootPath()) {
    Log::log(kStarterLogLevel, "%s(): GetInstallationRootPath failed.\n", kOperation);
    return 0;
  }
  if (productDir != nullptr && size > 0) {
    const char* root = InstallationRoot();
    size_t length = strlen(root);
    size_t room = static_cast<size_t>(size) - 1;
    if (length > room) length = room;
    memcpy(productDir, root, length);
    productDir[length] = '\0';
  }
  return 1;
}
