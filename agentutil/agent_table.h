// The agent's table that an immediate identity regeneration clears while the
// agent is stopped.
#pragma once

#include "agentutil/policy_api.h"

namespace agentutil {

extern const char kAgentTableOid[];

// Empties columns 1 to 3 of every row and writes the table back; column 0
// and the row count stay. Returns the first failing call's code, 0 when the
// table was written back.
INT32 ClearAgentTable(PolicyApi& policy);

}  // namespace agentutil
