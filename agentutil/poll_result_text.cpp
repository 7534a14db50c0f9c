#include "agentutil/poll_result_text.h"

#include <stdio.h>

namespace agentutil {
namespace {

struct NamedCode {
  ResultCode code;
  const char* text;
};

// Messaging library codes, then the codes of the KTL API that the library
// passes on.
const NamedCode kErrorTexts[] = {
    {0x84000001u, "Execution error - TVMA API returns: UNKNOWN_ERROR\n"},
    {0x84000002u, "Execution error - TVMA API returns: ACCESS_DENIED\n"},
    {0x84000003u, "Execution error - TVMA API returns: INVALID_PARAMETER\n"},
    {0x84000004u, "Execution error - TVMA API returns: OUT_OF_MEMORY\n"},
    {0x84000005u, "Execution error - TVMA API returns: INCOMPATIBLE_API_VERSION\n"},
    {0x84000006u, "Execution error - TVMA API returns: SERVER_NOT_RESPONDING\n"},
    {0x84000007u, "Execution error - TVMA API returns: TRANSPORT_ERROR\n"},
    {0x84000008u, "Execution error - TVMA API returns: CONNECTION_NOT_ESTABLISHED\n"},
    {0x84000009u, "Execution error - TVMA API returns: ALREADY_REGISTERED\n"},
    {0x8400000Au, "Execution error - TVMA API returns: SENDER_NOT_REGISTRED\n"},
    {0x8400000Bu, "Execution error - TVMA API returns: RECIPIENT_NOT_REGISTRED\n"},
    {0x8400000Cu, "Execution error - TVMA API returns: TIMEOUT\n"},
    {0x8400000Du, "Execution error - TVMA API returns: REPLY_ON_POSTED_MESSAGE\n"},
    {0x8400000Eu, "Execution error - TVMA API returns: BUFFER_TOO_SMALL\n"},
    {0x8400000Fu, "Execution error - TVMA API returns: UNHANDLED_MESSAGE\n"},
    {0x84000010u, "Execution error - TVMA API returns: MESSAGE_QUEUE_FULL\n"},
    {0x84040001u, "Execution error - KTL API returns: INCORRECT_VERSION\n"},
    {0x84040002u, "Execution error - KTL API returns: INVALID_PARAMETER\n"},
    {0x84040003u, "Execution error - KTL API returns: ALREADY_STOPPED\n"},
    {0x84040004u, "Execution error - KTL API returns: UNKNOWN\n"},
    {0x84040005u, "Execution error - KTL API returns: BUSY\n"},
    {0x84040006u, "Execution error - KTL API returns: OUT_OF_MEMORY\n"},
};

}  // namespace

const char* PollResultText(ResultCode code, char* buffer, size_t size) {
  if (buffer == NULL || size == 0) return buffer;
  if (IsSuccess(code)) {
    snprintf(buffer, size, "%s", "ok\n");
    return buffer;
  }
  for (size_t i = 0; i < sizeof(kErrorTexts) / sizeof(kErrorTexts[0]); ++i) {
    if (kErrorTexts[i].code == code) {
      snprintf(buffer, size, "%s", kErrorTexts[i].text);
      return buffer;
    }
  }
  snprintf(buffer, size, "Execution error - unknown error code: %d(%x)\n", static_cast<int>(code),
           static_cast<unsigned int>(code));
  return buffer;
}

}  // namespace agentutil
