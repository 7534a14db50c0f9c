// Registering, starting, stopping and removing the product's two service
// stand-ins through the service control manager.
#pragma once

#include <windows.h>

#include <string>

namespace tvsim {

constexpr wchar_t kAgentServiceName[] = L"tvma";
constexpr wchar_t kAgentDisplayName[] = L"Tarnvale Management Agent";
constexpr wchar_t kHandlerServiceName[] = L"Tarnvale Wardlen Handler Starter";
constexpr wchar_t kHandlerDisplayName[] = L"Tarnvale Wardlen Handler Starter";
constexpr char kAgentExe[] = "tvmasvc.exe";
constexpr char kHandlerExe[] = "tvwhstarter.exe";

// Creates the service (demand start, own process) or points an existing one
// at binary; arguments follow the quoted binary path. 0 or the system error.
DWORD InstallService(const wchar_t* name, const wchar_t* display, const std::wstring& binary,
                     const std::wstring& arguments = std::wstring());
// Arguments that make the agent use the policy store of this process: the
// folder named by TVSIM_STORE_DIR, when set.
std::wstring AgentStoreArguments();
// Stops (waiting up to timeout_ms) and deletes; a missing service is fine.
DWORD RemoveService(const wchar_t* name, DWORD timeout_ms);
// Starts and waits until running; an already running service is fine.
DWORD StartServiceAndWait(const wchar_t* name, DWORD timeout_ms);
// Stops and waits until stopped; a stopped service is fine.
DWORD StopServiceAndWait(const wchar_t* name, DWORD timeout_ms);
// Current state (SERVICE_RUNNING ...), 0 when it cannot be queried.
DWORD QueryServiceState(const wchar_t* name);
bool ServiceExists(const wchar_t* name);
// True while the agent's readiness mutex exists.
bool AgentReady();

}  // namespace tvsim
