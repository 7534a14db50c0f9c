// Result codes and type codes of the simulated policy store. 0 is success;
// -508 is the store's answer for an OID it does not hold. The other negative
// codes are this simulation's own and never collide with the codes that the
// installer makes up itself.
#pragma once

#include <cstdint>

namespace tvsim {

const int32_t kOk = 0;
const int32_t kErrOidNotFound = -508;
const int32_t kErrInvalidArgument = -520;   // null pointer, bad OID text, bad handle
const int32_t kErrTypeMismatch = -521;      // value of the wrong kind for the type
const int32_t kErrOutOfRange = -522;        // row or column outside the table
const int32_t kErrBufferTooSmall = -523;    // caller's buffer cannot hold the value
const int32_t kErrNoOid = -524;             // variable has no OID yet
const int32_t kErrChannelRefused = -525;    // the channel cannot be opened
const int32_t kErrStoreIo = -526;           // store file or its lock not usable
const int32_t kErrStoreCorrupt = -527;      // store file or package text malformed
const int32_t kErrNotTable = -528;          // table operation on a scalar variable
const int32_t kErrNoIdentity = -529;        // no host identity generated yet
const int32_t kErrNoMemory = -530;

// Type codes. 3 and 4 hold text, 7 to 10 integers, 2 a value record carrying
// OID text. 0 marks a variable that has no value yet. Any other code is kept
// as opaque text that neither the text nor the integer calls accept.
const int32_t kTypeEmpty = 0;
const int32_t kTypeValueRecord = 2;
const int32_t kTypeText = 3;
const int32_t kTypeText4 = 4;
const int32_t kTypeInt = 7;
const int32_t kTypeInt10 = 10;
// Reported by QmpGetType for a table.
const int32_t kTypeTable = 20;

inline bool IsTextType(int32_t t) { return t == kTypeText || t == kTypeText4; }
inline bool IsIntType(int32_t t) { return t >= kTypeInt && t <= kTypeInt10; }
// Types whose value can be read as text (text, value record, and integers
// printed in decimal).
inline bool IsReadableAsText(int32_t t) {
  return IsTextType(t) || t == kTypeValueRecord || IsIntType(t);
}

}  // namespace tvsim
