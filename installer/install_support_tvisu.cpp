// Binds the install-support table to tvisu.dll. The library is bound lazily,
// so nothing here loads it before the first call.
#include "install_support.h"
#include "tvisu.h"

namespace {

INT32 CopyWithTvisu(const char* source, const char* destination, INT32* status) {
  return TVISU_CopyFileEx(source, destination, 0, status);
}

void RenameAfterRebootWithTvisu(const char* path) { TVISU_RenameAfterReboot(path, nullptr); }

INT32 CreateRegistryEntryWithTvisu(const char* entry, INT32 type) {
  return TVISU_CreateRegistryEntry(entry, type, 0);
}

const InstallSupportCalls kTvisuCalls = {CopyWithTvisu, RenameAfterRebootWithTvisu,
                                         CreateRegistryEntryWithTvisu};

// Without the library a copy or registry entry fails like any other, so the
// run still reaches its post-update phase and its exit information.
INT32 CopyUnavailable(const char*, const char*, INT32* status) {
  if (status) *status = 0;
  return ERROR_MOD_NOT_FOUND;
}
void RenameAfterRebootUnavailable(const char*) {}
INT32 CreateRegistryEntryUnavailable(const char*, INT32) { return ERROR_MOD_NOT_FOUND; }

const InstallSupportCalls kUnavailableCalls = {CopyUnavailable, RenameAfterRebootUnavailable,
                                               CreateRegistryEntryUnavailable};

}  // namespace

const InstallSupportCalls& ProductInstallSupport() { return kTvisuCalls; }
const InstallSupportCalls& UnavailableInstallSupport() { return kUnavailableCalls; }
