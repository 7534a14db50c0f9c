// hxupd: the hotfix installer. A window-subsystem program without a window,
// started inside an unpacked hotfix package; it takes no arguments and its
// exit status is the installer's exit code.
#include <windows.h>

#include <memory>

#include "hotfix_installer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::unique_ptr<HotfixInstaller> installer(new HotfixInstaller());
  InitializeProductLibraries();
  int exitCode = installer->Run(instance);
  installer.reset();  // unloads plug-ins, releases the policy, closes the log
  return exitCode;
}
