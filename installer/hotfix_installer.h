// HotfixInstaller: the one application object of an hxupd run. It owns the
// package records, the log, the loaded plug-ins and the policy connection,
// and runs the installation from reading the package to the exit code.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "install_support.h"
#include "installer_log.h"
#include "package_description.h"

class PolicyAdapterWrapper;

// Version text written as the first log line of a run (ends with a blank).
#define HXUPD_VERSION_TEXT "1.10.242 "

class HotfixInstaller {
 public:
  HotfixInstaller();
  // Unloads the plug-ins, releases and destroys the policy connection and
  // closes the log, in this order.
  ~HotfixInstaller();
  HotfixInstaller(const HotfixInstaller&) = delete;
  HotfixInstaller& operator=(const HotfixInstaller&) = delete;

  // The object the log sinks write through; null when none exists.
  static HotfixInstaller* Current();

  // The whole run; returns the exit code.
  int Run(HMODULE module);

  // ---- Steps of the run, callable one by one ----------------------------
  // Sets the program directory and package path from the program's path,
  // parses the package and logs the version and parse result.
  bool ReadPackage(const char* programPath);
  bool ResolveVersionDirectories();
  // ProductLanguage of section TVHXUPD, read by the plug-ins.
  void WriteProductLanguage();
  bool LoadPlugins();
  bool InitializePlugins();
  // Installs the files of every pre-updated plug-in for one subdirectory
  // ("Common", "32", "64"); false when the exit code is 3 afterwards.
  bool InstallFiles(const char* subdirectory);
  bool RenameMessagingLibraries();
  void ApplyCustomPolicySettings();
  void ApplyCustomRegistrySettings();
  bool WriteRebootRequest();
  void WriteExitInformation();
  // Sets the exit code unless an earlier failure already set one.
  void SetExitCodeIfZero(int code);

  // ---- Log --------------------------------------------------------------
  void Print(const char* format, ...);

  // ---- Policy and product steps (hotfix_installer_policy_seams.cpp) ----
  // Fills platform code, name and service pack and logs them.
  void DetectPlatform();
  // Creates the wrapper on first use and connects it; true when connected.
  bool ConnectPolicy();
  // Sets productInstalled, the installed versions, withinRange and the
  // product language.
  void CheckProduct();
  // The wrapper's Uninitialize; true when there is nothing to release.
  bool ReleasePolicy();
  void DestroyPolicyWrapper();
  bool AddInstalledHotFixEntryToPolicy();
  // The custom policy operations through the wrapper; 0 or an error code.
  int SetCustomPolicyValue(const char* oid, const char* text);
  int SetCustomPolicyTableValue(const char* oid, int row, int column, const char* text);
  int ClearCustomPolicyTable(const char* oid);

  // ---- State of the run -------------------------------------------------
  char programDirectory[260];  // up to and including the last backslash
  char packagePath[260];       // programDirectory + "HOTFIX.INI"
  PackageDescription package;
  bool productInstalled;
  char installedVersion[8];
  char installedBuild[8];
  char installedFullVersion[16];
  bool withinRange;
  char productLanguage[4];
  bool rebootNeeded;
  int exitCode;
  PolicyAdapterWrapper* policyWrapper;  // owned; created by ConnectPolicy
  InstallerLog log;                     // reads package.log
  UINT32 platformCode;
  char platformName[65];
  unsigned short servicePack;

  // Key below HKEY_LOCAL_MACHINE that holds the product's keys (TVSetup,
  // application keys). Tests point it at a scratch key.
  char productRootKey[128];
  // The install-support library calls; tests substitute their own.
  InstallSupportCalls installSupport;

 private:
  // Steps 18 and 19 of the run: every path ends here.
  int Finish();
};

// The installer's log sinks: the message and one extra line break, written
// through HotfixInstaller::Current(); nothing when there is no installer.
void InstallerLogSink(const char* format, ...);
void InstallerLogSinkV(const char* format, va_list args);

// Start-up calls into the product's policy and install-support libraries
// (guarded: a missing library is skipped). Returns how many were missing.
int InitializeProductLibraries();
