// The registry flag that RESETUID leaves for the agent.
#pragma once

namespace agentutil {

extern const char kResetFlagKey[];    // below HKEY_LOCAL_MACHINE
extern const char kResetFlagValue[];

// Creates the key if needed and sets the DWORD value to 1. Returns the
// registry's error code (0 on success); RESETUID ignores it.
long SetResetCFTableFlag();

}  // namespace agentutil
