// The custom policy settings of a package, applied through the installer's
// policy connection. Each returns 0 or a non-zero code.
#pragma once

#include "policy_adapter.h"

// Sets a scalar variable from text (text types) or its leading integer.
INT32 SetPolicyValue(IPolicyAdapter& wrapper, const char* oid, const char* text);
// Sets one cell; row and column count from 1.
INT32 SetPolicyTableValue(IPolicyAdapter& wrapper, const char* oid, int row, int column,
                          const char* text);
// Removes every row and stores the table.
INT32 ClearPolicyTable(IPolicyAdapter& wrapper, const char* oid);
