// The verdict of the run for the program that started it: the reboot
// request and the exit information under <product root>\TVSetup. The key is
// only opened, never created: it belongs to that program.
#include <cstdio>
#include <cstring>

#include "exit_codes.h"
#include "hotfix_installer.h"
#include "shared/scoped_handle.h"

namespace {

LONG OpenSetupKey(const char* productRootKey, hx::ScopedRegKey* key) {
  char path[192];
  int written = snprintf(path, sizeof(path), "%s\\TVSetup", productRootKey);
  if (written < 0 || static_cast<size_t>(written) >= sizeof(path)) return ERROR_FILENAME_EXCED_RANGE;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, key->Receive());
}

}  // namespace

bool HotfixInstaller::WriteRebootRequest() {
  DWORD value = 0;
  if (rebootNeeded && !package.disableReboot) value = package.advancedReboot ? 2 : 1;
  Print("Reboot conditions: needed=%d, disabled=%d, advanced=%d\n", rebootNeeded ? 1 : 0,
        package.disableReboot ? 1 : 0, package.advancedReboot ? 1 : 0);
  bool written = false;
  hx::ScopedRegKey key;
  LONG status = OpenSetupKey(productRootKey, &key);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExA(key.Get(), "TVRUNNER_REQUEST_REBOOT", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof(value));
    written = status == ERROR_SUCCESS;
    key.Close();
  }
  Print("Setting reboot request value in registry: value=%u, success=%d (error code=%d)\n",
        static_cast<unsigned>(value), written ? 1 : 0, static_cast<int>(status));
  return written;
}

void HotfixInstaller::WriteExitInformation() {
  hx::ScopedRegKey key;
  LONG status = OpenSetupKey(productRootKey, &key);
  if (status != ERROR_SUCCESS) {
    Print("Error %d opening registry key for writing exit information\n", static_cast<int>(status));
    return;
  }
  DWORD code = static_cast<DWORD>(exitCode);
  status = RegSetValueExA(key.Get(), "RESULT_CODE", 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&code), sizeof(code));
  Print("Writing exit code to registry: %d (success=%d, errorcode=%d)\n", exitCode,
        status == ERROR_SUCCESS ? 1 : 0, static_cast<int>(status));
  const char* description = ExitCodeDescription(exitCode);
  status = RegSetValueExA(key.Get(), "DESCRIPTION_RESULT_SETUP", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(description),
                          static_cast<DWORD>(strlen(description) + 1));
  Print("Writing error description to registry: \"%s\" (success=%d, errorcode=%d)\n", description,
        status == ERROR_SUCCESS ? 1 : 0, static_cast<int>(status));
  RegFlushKey(key.Get());
}
