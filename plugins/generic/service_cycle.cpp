#include "service_cycle.h"

#include <cstring>

#include "platform_kind.h"
#include "service_control.h"

namespace hxgeneric {

void StopListedServices(const char* ini, const char* section, int platform_kind,
                        StoppedServiceTable& table, WaitClock& clock) {
  // A second call must not leave numbers of an earlier one behind.
  memset(&table, 0, sizeof table);
  if (platform_kind != kPlatformNT) return;
  const unsigned stop_delay = ReadDelay(ini, section, "StopServiceDelay");
  int stopped = 0;
  for (int n = 1; n <= kMaxStopServices; ++n) {
    char name[kServiceNameSize];
    if (!ReadStopService(ini, section, n, name, sizeof name)) break;
    // A service that is not running, or whose stop failed, stays as it is and
    // is not started afterwards.
    if (IsServiceActive(name) && ControlServiceByName(name, false, stop_delay, clock) == 0) {
      table.slots[stopped++] = n;
    }
  }
}

void StartStoppedServices(const char* ini, const char* section, int platform_kind,
                          const StoppedServiceTable& table, int* reboot_answer,
                          WaitClock& clock) {
  if (platform_kind != kPlatformNT) return;
  const unsigned start_delay = ReadDelay(ini, section, "StartServiceDelay");
  const unsigned post_start_delay = ReadDelay(ini, section, "PostStartServiceDelay");
  bool attempted = false;
  for (int i = 0; i < kMaxStopServices; ++i) {
    // The recorded numbers fill the table from its start; the first unused
    // slot ends the walk (even if the section has a StopService0 key).
    const int number = table.slots[i];
    if (number <= 0) break;
    char name[kServiceNameSize];
    if (!ReadStopService(ini, section, number, name, sizeof name)) break;
    if (i > 0 && start_delay != 0) clock.Sleep(start_delay);
    attempted = true;
    if (ControlServiceByName(name, true, kStartWaitMs, clock) != 0 && reboot_answer) {
      *reboot_answer = 1;
    }
  }
  if (attempted && post_start_delay != 0) clock.Sleep(post_start_delay);
}

}  // namespace hxgeneric
