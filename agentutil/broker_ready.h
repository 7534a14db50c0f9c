// Whether the agent's message broker accepts registrations: it holds the
// named mutex "Global\TVMB RPC ready" while it does.
#pragma once

namespace agentutil {

typedef bool (*BrokerReadyProbe)();

// Opens the mutex only to learn that it exists and closes it at once.
bool IsBrokerReady();

}  // namespace agentutil
