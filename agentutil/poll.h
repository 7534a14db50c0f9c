// POLL: makes the agent poll its management server at once by sending one
// message to its poll module.
#pragma once

#include "agentutil/broker_ready.h"
#include "agentutil/clock.h"
#include "agentutil/result_code.h"
#include "agentutil/tvma_api.h"

namespace agentutil {

extern const char kUtilityModuleOid[];
extern const char kPollModuleOid[];
const UINT32 kPollMessageId = 0x24040007u;
const UINT32 kPollSendTimeoutMs = 6000;
const UINT32 kRegistrationTimeoutS = 10;

// The first failure, or the send's result. The client's shutdown does not
// change it.
ResultCode RunPoll(TvmaApi& api, Clock& clock, BrokerReadyProbe probe = &IsBrokerReady);

}  // namespace agentutil
