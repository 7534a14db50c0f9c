#include "agentutil/poll.h"

#include "agentutil/mb_client.h"

namespace agentutil {

const char kUtilityModuleOid[] = "1.2.3.2.1";
const char kPollModuleOid[] = "1.3.6.1.4.1.5839.11.1.14";

ResultCode RunPoll(TvmaApi& api, Clock& clock, BrokerReadyProbe probe) {
  CMBClient client(api, clock, probe);
  ResultCode result = client.Initialize(kUtilityModuleOid, kRegistrationTimeoutS, NULL);
  if (IsSuccess(result)) result = client.StartMessagePump();
  if (IsSuccess(result)) {
    result = client.SendToModule(kPollModuleOid, kPollMessageId, NULL, 0, kPollSendTimeoutMs, NULL,
                                 NULL, NULL);
  }
  return result;
}

}  // namespace agentutil
