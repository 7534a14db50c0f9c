// Objects behind the policy library's handles, and the process-wide list of
// live handles so that a stale or foreign handle is refused instead of used.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "policy_codes.h"
#include "policy_value.h"

namespace tvpmapi {

struct PolicyVariable {
  std::string oid;
  tvsim::PolicyValue value;
  std::string packed_oid;  // kept for TchGetPackedOID until the OID changes
};

struct Channel {
  int unused = 0;
};

// Registers a new object; false when out of memory.
bool AddVariable(PolicyVariable* v);
// Unregisters; false for an unknown handle.
bool RemoveVariable(PolicyVariable* v);
PolicyVariable* FindVariable(void* handle);

bool AddChannel(Channel* c);
bool RemoveChannel(Channel* c);
Channel* FindChannel(void* handle);

// Keeps an OID text for the rest of the process (QmpCreatePolicyOID handles).
const std::string* KeepOid(const std::string& oid);

// Runs body and turns any escaping exception into an error code, so that none
// crosses the library's boundary.
template <typename Body>
int32_t Guarded(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return tvsim::kErrNoMemory;
  } catch (...) {
    return tvsim::kErrInvalidArgument;
  }
}

}  // namespace tvpmapi
