// Byte formats that cross the agent's messaging (pure logic).
//
// Packed OID:  uint32 total size (little-endian, header included), the OID
//              text, one NUL. Its size is read back from its first 4 bytes.
// Get-reply package and set-request package: text, the header line
//              "TVSIM-PACKAGE 1 get" or "TVSIM-PACKAGE 1 set" and then the
//              entry's lines exactly as in the store file (store_format.h):
//              one "var" line, or a "table" line followed by its "row" lines.
//              No NUL; the size travels with the message.
#pragma once

#include <cstdint>
#include <string>

#include "policy_value.h"

namespace tvsim {

enum class PackageKind { kGetReply, kSetRequest };

std::string PackOid(const std::string& oid);
// Size stored in a packed OID; 0 when the pointer is null.
int32_t PackedOidSize(const void* packed);
// kOk, or kErrStoreCorrupt when data is not a well-formed packed OID.
int32_t UnpackOid(const void* data, size_t size, std::string* oid);

std::string PackPackage(PackageKind kind, const std::string& oid, const PolicyValue& value);
int32_t UnpackPackage(PackageKind kind, const void* data, size_t size, std::string* oid,
                      PolicyValue* value);

}  // namespace tvsim
