// Names through which the messaging library finds the agent's broker.
#pragma once

#include <string>

namespace tvsim {

// Mutex that exists while the broker accepts registrations.
constexpr wchar_t kReadyMutexName[] = L"Global\\TVMB RPC ready";
constexpr wchar_t kDefaultBrokerPipe[] = L"\\\\.\\pipe\\tvsim-tvmb-broker";
// Test seam: a broker started inside a test program listens on a pipe of its
// own, named by this variable, so it never meets the installed agent.
constexpr wchar_t kBrokerPipeVariable[] = L"TVSIM_BROKER_PIPE";

// The pipe named by kBrokerPipeVariable, else the default one.
std::wstring BrokerPipeName();

}  // namespace tvsim
