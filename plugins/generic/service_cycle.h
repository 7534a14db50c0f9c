// The services of the section's StopService list: stopped before the update,
// started again after it. The table links the two phases, so that only
// services this instance stopped are started again.
#pragma once

#include "plugin_settings.h"
#include "wait_clock.h"

namespace hxgeneric {

// Numbers n of the StopService<n> services that were stopped, in the order of
// their stop; unused slots hold 0.
struct StoppedServiceTable {
  int slots[kMaxStopServices];
};

// Stops every listed service that is running and records it in table, which
// is refilled from its first slot. Does nothing unless platform_kind is NT.
void StopListedServices(const char* ini, const char* section, int platform_kind,
                        StoppedServiceTable& table, WaitClock& clock = SystemClock());

// Starts the recorded services again in the order they were stopped. Sets
// *reboot_answer to 1 when any start failed; never clears it.
void StartStoppedServices(const char* ini, const char* section, int platform_kind,
                          const StoppedServiceTable& table, int* reboot_answer,
                          WaitClock& clock = SystemClock());

}  // namespace hxgeneric
