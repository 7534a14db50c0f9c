#include "hotfix_installer.h"

#include <cstdio>
#include <cstring>

#include "exit_codes.h"
#include "os_bitness.h"
#include "package_dump.h"
#include "package_parser.h"
#include "plugin_host.h"
#include "product_keys.h"

namespace {

HotfixInstaller* g_installer = nullptr;

const char kPackageFileName[] = "HOTFIX.INI";

}  // namespace

HotfixInstaller::HotfixInstaller()
    : productInstalled(false),
      withinRange(false),
      rebootNeeded(false),
      exitCode(0),
      policyWrapper(nullptr),
      log(package.log),
      platformCode(0),
      servicePack(0),
      installSupport(ProductInstallSupport()) {
  programDirectory[0] = '\0';
  packagePath[0] = '\0';
  installedVersion[0] = '\0';
  installedBuild[0] = '\0';
  installedFullVersion[0] = '\0';
  productLanguage[0] = '\0';
  platformName[0] = '\0';
  snprintf(productRootKey, sizeof(productRootKey), "%s", HX_PRODUCT_ROOT_KEY);
  g_installer = this;
}

HotfixInstaller::~HotfixInstaller() {
  Print("Unloading plug-ins... ");
  bool unloaded = UnloadAllPlugins(package.plugins);
  Print(unloaded ? "success\n" : "failed\n");
  ReleasePolicy();
  DestroyPolicyWrapper();
  log.Close();
  package.plugins.Clear();
  if (g_installer == this) g_installer = nullptr;
}

HotfixInstaller* HotfixInstaller::Current() { return g_installer; }

void HotfixInstaller::Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  log.PrintV(format, args);
  va_end(args);
}

void HotfixInstaller::SetExitCodeIfZero(int code) {
  if (exitCode == 0) exitCode = code;
}

bool HotfixInstaller::ReadPackage(const char* programPath) {
  programDirectory[0] = '\0';
  const char* lastBackslash = strrchr(programPath, '\\');
  if (lastBackslash) {
    size_t length = static_cast<size_t>(lastBackslash - programPath) + 1;
    if (length < sizeof(programDirectory)) {
      memcpy(programDirectory, programPath, length);
      programDirectory[length] = '\0';
    }
  }
  int written = snprintf(packagePath, sizeof(packagePath), "%s%s", programDirectory,
                         kPackageFileName);
  bool read = false;
  if (written >= 0 && static_cast<size_t>(written) < sizeof(packagePath)) {
    read = ParsePackageFile(packagePath, &package);
  } else {
    // The package path does not fit: read nothing rather than another file.
    packagePath[0] = '\0';
    package.Clear();
  }
  Print("HXUPD version %s\n", HXUPD_VERSION_TEXT);
  Print("Reading initialization file \"%s\": success=%d\n", packagePath, read ? 1 : 0);
  return read;
}

bool HotfixInstaller::ResolveVersionDirectories() {
  return ResolvePluginVersionDirectories(package.plugins, packagePath, productRootKey,
                                         InstallerLogSink);
}

void HotfixInstaller::WriteProductLanguage() {
  if (packagePath[0] == '\0') return;  // never a file of the Windows directory
  WritePrivateProfileStringA(HX_HOST_SECTION, HX_PRODUCT_LANGUAGE_KEY, productLanguage,
                             packagePath);
}

bool HotfixInstaller::LoadPlugins() {
  Print("Loading plug-ins... ");
  bool loaded = LoadAllPlugins(package.plugins, programDirectory, InstallerLogSink);
  Print(loaded ? "success\n" : "failed\n");
  return loaded;
}

bool HotfixInstaller::InitializePlugins() {
  Print("Initializing plug-ins... ");
  bool initialized = InitializeAllPlugins(package.plugins, packagePath, 0, InstallerLogSink);
  Print(initialized ? "success\n" : "failed\n");
  return initialized;
}

int HotfixInstaller::Run(HMODULE module) {
  exitCode = 0;

  char programPath[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(module, programPath, sizeof(programPath));
  if (length == 0 || length >= sizeof(programPath)) programPath[0] = '\0';
  bool packageRead = ReadPackage(programPath);

  DetectPlatform();
  if (packageRead && package.forceRebootAlways) rebootNeeded = true;
  bool directoriesResolved = packageRead && ResolveVersionDirectories();

  bool connected = ConnectPolicy();
  bool packageReady = packageRead && directoriesResolved && connected;

  CheckProduct();
  if (!productInstalled || !withinRange) {
    ReleasePolicy();
    return Finish();
  }

  WriteProductLanguage();
  if (!packageReady) {
    SetExitCodeIfZero(kExitInitializationFailure);
    return Finish();
  }

  bool loaded = LoadPlugins();
  bool initialized = InitializePlugins();
  if (log.IsOpen()) DumpPackageDescription(package, InstallerLogSink);
  bool released = ReleasePolicy();
  if (!loaded || !initialized || !released) {
    // The package could not be brought to the update: not a success.
    SetExitCodeIfZero(kExitInitializationFailure);
    return Finish();
  }

  bool updateFailed = !PreUpdateAllPlugins(package.plugins, packagePath, InstallerLogSink);

  bool commonInstalled = false;
  bool platformInstalled = false;
  if (!updateFailed) {
    if (package.tvmaUpdate) {
      // One line each: through the sink, which ends the message.
      InstallerLogSink("TVMA libraries have to be renamed");
      bool renamed = RenameMessagingLibraries();
      InstallerLogSink("renameTVMALibraries() %s", renamed ? "SUCCEEDED" : "FAILED");
    }
    commonInstalled = InstallFiles("Common");
    platformInstalled = InstallFiles(RunsUnder64BitWindows() ? "64" : "32");
  }
  bool filesCopied = commonInstalled && platformInstalled;

  bool postUpdateSucceeded =
      PostUpdateAllPlugins(package.plugins, packagePath, updateFailed, InstallerLogSink);
  if (updateFailed) postUpdateSucceeded = false;

  if (ConnectPolicy()) {
    if (filesCopied && postUpdateSucceeded) AddInstalledHotFixEntryToPolicy();
    ApplyCustomPolicySettings();
    ApplyCustomRegistrySettings();
  }

  if (filesCopied && !postUpdateSucceeded) exitCode = kExitPostUpdateFailed;

  WriteRebootRequest();
  return Finish();
}

int HotfixInstaller::Finish() {
  WriteExitInformation();
  Print("Exit code: %d\n", exitCode);
  return exitCode;
}

void InstallerLogSinkV(const char* format, va_list args) {
  HotfixInstaller* installer = HotfixInstaller::Current();
  if (installer) installer->log.PrintLineV(format, args);
}

void InstallerLogSink(const char* format, ...) {
  va_list args;
  va_start(args, format);
  InstallerLogSinkV(format, args);
  va_end(args);
}
