// The agent's two services and the agent's control commands.
//
//   services install|remove|start|stop|status
//       register (and start) / stop and delete / start / stop / show the
//       services "tvma" (tvmasvc.exe) and "Tarnvale Wardlen Handler Starter"
//       (tvwhstarter.exe), both run from this tool's folder; the agent uses
//       the policy store of the tool (TVSIM_STORE_DIR when set). install also
//       runs at the end of the product's install when tvmasvc.exe lies
//       beside the tool; uninstall removes them first.
//   agent <subcommand> ...
//       talks to the running agent, see AgentUsage below.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "installer/policy/tvma32.h"
#include "productsim/agent/agent_control_client.h"
#include "productsim/agent/agent_control_parse.h"
#include "productsim/agent/service_control.h"
#include "registry_util.h"

namespace tvsim_setup {

namespace {

constexpr DWORD kServiceWaitMs = 30000;
constexpr char kDefaultSendTimeout[] = "5000";

struct ServiceEntry {
  const wchar_t* name;
  const wchar_t* display;
  const char* exe;
};
const ServiceEntry kServices[] = {
    {tvsim::kAgentServiceName, tvsim::kAgentDisplayName, tvsim::kAgentExe},
    {tvsim::kHandlerServiceName, tvsim::kHandlerDisplayName, tvsim::kHandlerExe},
};

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

std::string ToolFolder() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n < MAX_PATH ? n : 0);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

int InstallServices(const std::string& folder, bool start) {
  for (const ServiceEntry& s : kServices) {
    std::string exe = folder + s.exe;
    if (!FileExistsAt(exe)) {
      Fail("services: %s is missing", exe.c_str());
      return kExitFailed;
    }
    // The agent serves the policy store that this tool uses.
    std::wstring arguments =
        s.name == tvsim::kAgentServiceName ? tvsim::AgentStoreArguments() : std::wstring();
    DWORD r = tvsim::InstallService(s.name, s.display, std::wstring(exe.begin(), exe.end()),
                                    arguments);
    if (r != 0) {
      Fail("services: cannot register %s (error %lu)", Narrow(s.name).c_str(), r);
      return kExitFailed;
    }
  }
  if (!start) return kExitOk;
  for (const ServiceEntry& s : kServices) {
    DWORD r = tvsim::StartServiceAndWait(s.name, kServiceWaitMs);
    if (r != 0) {
      Fail("services: cannot start %s (error %lu)", Narrow(s.name).c_str(), r);
      return kExitFailed;
    }
  }
  return kExitOk;
}

int RemoveServices() {
  int rc = kExitOk;
  for (const ServiceEntry& s : kServices) {
    DWORD r = tvsim::RemoveService(s.name, kServiceWaitMs);
    if (r != 0) {
      Fail("services: cannot remove %s (error %lu)", Narrow(s.name).c_str(), r);
      rc = kExitFailed;
    }
  }
  return rc;
}

const char* StateName(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "start pending";
    case SERVICE_STOP_PENDING: return "stop pending";
    case SERVICE_RUNNING: return "running";
    case SERVICE_CONTINUE_PENDING: return "continue pending";
    case SERVICE_PAUSE_PENDING: return "pause pending";
    case SERVICE_PAUSED: return "paused";
    default: return "not installed";
  }
}

int Services(const Args& a) {
  if (a.count() != 1) return kExitUsage;
  const std::string& verb = a.at(0);
  if (verb == "install") return InstallServices(ToolFolder(), !a.Has("no-start"));
  if (verb == "remove") return RemoveServices();
  if (verb == "start" || verb == "stop") {
    for (const ServiceEntry& s : kServices) {
      DWORD r = verb == "start" ? tvsim::StartServiceAndWait(s.name, kServiceWaitMs)
                                : tvsim::StopServiceAndWait(s.name, kServiceWaitMs);
      if (r != 0) {
        Fail("services: cannot %s %s (error %lu)", verb.c_str(), Narrow(s.name).c_str(), r);
        return kExitFailed;
      }
    }
    return kExitOk;
  }
  if (verb == "status") {
    for (const ServiceEntry& s : kServices) {
      std::printf("%s: %s\n", Narrow(s.name).c_str(), StateName(tvsim::QueryServiceState(s.name)));
    }
    std::printf("agent ready: %s\n", tvsim::AgentReady() ? "yes" : "no");
    return kExitOk;
  }
  return kExitUsage;
}

// Prints a send's outcome; exit 0 only for a successful send.
int PrintSend(uint32_t code, const std::string& reply_hex) {
  std::printf("result=0x%08X reply=%s\n", static_cast<unsigned>(code), reply_hex.c_str());
  std::vector<uint8_t> reply;
  if (tvsim::ParseHex(reply_hex, &reply) && reply.size() == 4) {
    uint32_t v = reply[0] | (reply[1] << 8) | (reply[2] << 16) |
                 (static_cast<uint32_t>(reply[3]) << 24);
    std::printf("value=%u\n", static_cast<unsigned>(v));
  }
  return TVMA_FAILED(code) ? kExitFailed : kExitOk;
}

int SendTo(const std::string& oid, uint32_t id, const std::string& hex, const Args& a) {
  char id_text[16];
  std::snprintf(id_text, sizeof id_text, "0x%08X", static_cast<unsigned>(id));
  std::string text;
  uint32_t code = tvsim::SendAgentControl(
      "send", oid + " " + id_text + " " + a.Get("timeout", kDefaultSendTimeout) + " " + hex, &text,
      60000);
  return PrintSend(code, text);
}

std::string Le32Hex(uint32_t v) {
  std::vector<uint8_t> b = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  return tvsim::ToHex(b);
}

int Agent(const Args& a) {
  if (a.count() < 1) return kExitUsage;
  const std::string& verb = a.at(0);
  uint32_t number = 0;
  if (verb == "query-value" && a.count() == 2) return SendTo(a.at(1), 0x04000001u, "", a);
  if (verb == "no-action" && a.count() == 2) return SendTo(a.at(1), 0x04000002u, "", a);
  if (verb == "stop-module" && a.count() == 2) return SendTo(a.at(1), 0x04000004u, "", a);
  if (verb == "set-value" && a.count() == 3) {
    if (tvsim::ParseNumber(a.at(2), &number)) return SendTo(a.at(1), 0x04000003u, Le32Hex(number), a);
    std::vector<uint8_t> bytes;
    // hex:<bytes> sends a payload of any size.
    if (a.at(2).compare(0, 4, "hex:") == 0 && tvsim::ParseHex(a.at(2).substr(4), &bytes)) {
      return SendTo(a.at(1), 0x04000003u, a.at(2).substr(4), a);
    }
    return kExitUsage;
  }
  if (verb == "send" && (a.count() == 3 || a.count() == 4)) {
    if (!tvsim::ParseNumber(a.at(2), &number)) return kExitUsage;
    return SendTo(a.at(1), number, a.count() == 4 ? a.at(3) : "", a);
  }
  // The rest passes straight to the agent.
  std::string argument;
  for (size_t i = 1; i < a.count(); ++i) argument += (i > 1 ? " " : "") + a.at(i);
  std::string text;
  uint32_t code = tvsim::SendAgentControl(verb, argument, &text);
  if (code != TVMA_SUCCESS) {
    Fail("agent %s: result 0x%08X", verb.c_str(), static_cast<unsigned>(code));
    return code == TVMA_E_INVALID_PARAMETER ? kExitUsage : kExitFailed;
  }
  std::fputs(text.c_str(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  return kExitOk;
}

int AfterInstall(const InstallContext& c) {
  if (!FileExistsAt(c.tool_dir + tvsim::kAgentExe)) return 0;
  return InstallServices(c.tool_dir, true);
}

void BeforeUninstall(const InstallContext&) { RemoveServices(); }

const Command kCommands[] = {
    {"services", "install [--no-start] | remove | start | stop | status",
     "the agent service \"tvma\" and \"Tarnvale Wardlen Handler Starter\" (binaries beside "
     "this tool)",
     Services},
    {"agent",
     "query-value OID | set-value OID N|hex:BYTES | stop-module OID | no-action OID | "
     "send OID ID [HEX] [--timeout MS] | refuse-registrations on|off|CODE | reply-delay MS | "
     "drop-replies on|off | short-get-reply on|off | long-set-reply on|off | "
     "get-reply-bytes N|off | set-reply-bytes N|off | poll-count | "
     "modules | reset",
     "messages to a registered module through the running agent (result=0x... reply=HEX), and "
     "the agent's test switches",
     Agent},
};

}  // namespace

const CommandFamily& AgentCommands() {
  static const CommandFamily family = {"agent", kCommands, sizeof kCommands / sizeof kCommands[0],
                                       AfterInstall, BeforeUninstall};
  return family;
}

}  // namespace tvsim_setup
