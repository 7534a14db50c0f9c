// OID text of the policy library's handles: a policy variable (whose OID names
// a module) and an OID handle made by QmpCreatePolicyOID.
#pragma once

#include <string>

namespace tvsim {

// False when the policy library is not loaded or the handle carries no
// usable OID.
bool PolicyHandleOidText(const void* handle, std::string* oid);

}  // namespace tvsim
