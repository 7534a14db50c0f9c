// TVMAUTIL.exe as a whole process against the simulated product: its policy
// library, the agent service "tvma" with its broker, and the handler service.
// The product and the services are installed for the suite (unless they are
// there already) and removed again afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shared/scoped_handle.h"
#include "wine_test_env.h"

namespace {

const char kAgent[] = "tvma";
const char kStarter[] = "Tarnvale Wardlen Handler Starter";
const char kFlagKey[] = "SOFTWARE\\Quillmoor\\Tarnvale\\Harrowdene Support";
const char kIdentityTable[] = "1.3.6.1.4.1.5839.11.4.14.10";
const char kNextRestart[] =
    "Tarnvale Management Unique Identity will be created at the next system restart.\n";
const char kFewSeconds[] = "Tarnvale Management Unique Identity will be created in a few seconds.\n";

std::string Unix(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

struct ToolRun {
  DWORD exit_code = 0xFFFFFFFF;
  std::string output;
  DWORD elapsed_ms = 0;
};

ToolRun RunTool(const std::string& exe, const std::string& args, DWORD timeout_ms = 180000) {
  ToolRun run;
  DWORD start = GetTickCount();
  hxtest::ProcessResult r = hxtest::RunProcessCapture(
      "\"" + hxtest::BinDir() + exe + "\" " + args, &run.output, "", timeout_ms);
  run.elapsed_ms = GetTickCount() - start;
  run.output = Unix(run.output);
  if (r.started && !r.timed_out) run.exit_code = r.exit_code;
  return run;
}

ToolRun Util(const std::string& args) { return RunTool("TVMAUTIL.exe", args); }
ToolRun Sim(const std::string& args) { return RunTool("tvsim_setup.exe", args); }

// A control command of the running agent, through the set-up tool.
std::string AgentControl(const std::string& command, const std::string& argument = "") {
  return Sim("agent " + command + (argument.empty() ? "" : " " + argument)).output;
}

bool BrokerReady() {
  hx::ScopedKernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, "Global\\TVMB RPC ready"));
  return mutex.IsValid();
}

DWORD ServiceState(const char* name) {
  hx::ScopedServiceHandle scm(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
  hx::ScopedServiceHandle service(OpenServiceA(scm.Get(), name, SERVICE_QUERY_STATUS));
  SERVICE_STATUS status = {};
  if (!service || !QueryServiceStatus(service.Get(), &status)) return 0;
  return status.dwCurrentState;
}

bool WaitForState(const char* name, DWORD state, DWORD timeout_ms = 30000) {
  for (DWORD waited = 0; waited <= timeout_ms; waited += 100) {
    if (ServiceState(name) == state) return true;
    Sleep(100);
  }
  return false;
}

bool StartAndWait(const char* name) {
  hx::ScopedServiceHandle scm(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
  hx::ScopedServiceHandle service(OpenServiceA(scm.Get(), name, SERVICE_START));
  if (ServiceState(name) != SERVICE_RUNNING) StartServiceA(service.Get(), 0, NULL);
  return WaitForState(name, SERVICE_RUNNING);
}

bool StopAndWait(const char* name) {
  hx::ScopedServiceHandle scm(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
  hx::ScopedServiceHandle service(OpenServiceA(scm.Get(), name, SERVICE_STOP));
  SERVICE_STATUS status = {};
  ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
  return WaitForState(name, SERVICE_STOPPED);
}

bool WaitForBroker(bool ready) {
  for (int i = 0; i < 300; ++i) {
    if (BrokerReady() == ready) return true;
    Sleep(100);
  }
  return false;
}

bool FlagIsSet() {
  DWORD data = 0;
  DWORD size = sizeof(data);
  return RegGetValueA(HKEY_LOCAL_MACHINE, kFlagKey, "ResetCFTable", RRF_RT_REG_DWORD, NULL, &data,
                      &size) == ERROR_SUCCESS &&
         data == 1;
}

void ClearFlag() { RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFlagKey, "ResetCFTable"); }

class UtilityE2E : public ::testing::Test {
 protected:
  // Installing the product registers and starts both services; an
  // installed product without them gets them for the suite only.
  static void SetUpTestSuite() {
    installed_here_ = Sim("status").exit_code != 0;
    if (installed_here_) {
      ASSERT_EQ(0u, Sim("install").exit_code);
    } else if (ServiceState(kAgent) == 0) {
      services_here_ = true;
      ASSERT_EQ(0u, Sim("services install").exit_code);
    }
  }

  static void TearDownTestSuite() {
    ClearFlag();
    if (services_here_) Sim("services remove");
    if (installed_here_) Sim("uninstall");
  }

  void SetUp() override {
    ClearFlag();
    ASSERT_TRUE(StartAndWait(kAgent));
    ASSERT_TRUE(StartAndWait(kStarter));
    ASSERT_TRUE(WaitForBroker(true));
    AgentControl("reset");
  }

  void TearDown() override {
    AgentControl("reset");
    ClearFlag();
  }

  static std::string Identity() { return Sim("uid-show").output; }

  static bool installed_here_;
  static bool services_here_;
};

bool UtilityE2E::installed_here_ = false;
bool UtilityE2E::services_here_ = false;

TEST_F(UtilityE2E, PollMakesTheAgentPollOncePerRun) {
  ToolRun upper = Util("POLL");
  EXPECT_EQ("ok\n", upper.output);
  EXPECT_EQ(0u, upper.exit_code);
  EXPECT_EQ("1", AgentControl("poll-count").substr(0, 1));

  ToolRun lower = Util("poll");
  EXPECT_EQ("ok\n", lower.output);
  EXPECT_EQ(0u, lower.exit_code);
  EXPECT_EQ("2", AgentControl("poll-count").substr(0, 1));
  // The utility's module is gone again.
  EXPECT_EQ(std::string::npos, AgentControl("modules").find("1.2.3.2.1"));
}

TEST_F(UtilityE2E, PollWhileTheOidIsTakenStopsAfterOneAttempt) {
  AgentControl("refuse-registrations", "on");
  ToolRun run = Util("POLL");
  EXPECT_EQ("Execution error - TVMA API returns: ALREADY_REGISTERED\n", run.output);
  EXPECT_EQ(1u, run.exit_code);
  // Twenty attempts would take at least 9.5 s; the exact count is checked in
  // process.
  EXPECT_LT(run.elapsed_ms, 9000u);
  EXPECT_EQ("0", AgentControl("poll-count").substr(0, 1));
}

TEST_F(UtilityE2E, ShowUidBeforeAndAfterAPendingGeneration) {
  ASSERT_EQ(0u, Sim("uid-method 2").exit_code);
  ASSERT_EQ(0u, Sim("uid-set HOST-42").exit_code);
  ToolRun shown = Util("SHOWUID extra");
  EXPECT_EQ("Identity type=WINS, value=HOST-42\n", shown.output);
  EXPECT_EQ(0u, shown.exit_code);

  ASSERT_EQ(0u, Sim("uid-request").exit_code);
  ToolRun pending = Util("showuid");
  EXPECT_EQ(std::string("Identity type=WINS\n") + kNextRestart, pending.output);
  EXPECT_EQ(0u, pending.exit_code);
  Sim("uid-generate");
}

TEST_F(UtilityE2E, ResetUidRandomGuidRequestsAndSetsTheFlagOnly) {
  ASSERT_EQ(0u, Sim("uid-method 0").exit_code);
  ToolRun run = Util("RESETUID RANDOMGUID");
  EXPECT_EQ(kNextRestart, run.output);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_NE(std::string::npos, Identity().find("method=1 operation=1")) << Identity();
  EXPECT_TRUE(FlagIsSet());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState(kAgent));
  Sim("uid-generate");
}

TEST_F(UtilityE2E, ResetUidWithAWrongWordTouchesNothing) {
  std::string before = Identity();
  ToolRun run = Util("RESETUID MAC NOW");
  EXPECT_EQ("Invalid parameter: only APPLYNOW is allowed\n", run.output);
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_EQ(before, Identity());
  EXPECT_FALSE(FlagIsSet());
}

TEST_F(UtilityE2E, ApplyNowRestartsBothServicesWithTheNewIdentity) {
  ASSERT_EQ(0u, Sim("uid-method 0").exit_code);
  ASSERT_EQ(0u, Sim("uid-set OLD-IDENTITY").exit_code);
  ToolRun run = Util("RESETUID wins applynow");
  EXPECT_EQ(std::string(kFewSeconds) +
                "The Tarnvale Management Agent service is stopping...\n"
                "The Tarnvale Management Agent service is starting.\n",
            run.output);
  EXPECT_EQ(0u, run.exit_code);
  EXPECT_TRUE(FlagIsSet());
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState(kAgent));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState(kStarter));

  // The restarted agent made the new identity by the new method.
  std::string identity = Identity();
  EXPECT_NE(std::string::npos, identity.find("method=2 operation=0")) << identity;
  EXPECT_EQ(std::string::npos, identity.find("OLD-IDENTITY")) << identity;

  // Columns 1 to 3 of every row are empty, column 0 and the rows stay.
  std::string table = Sim(std::string("get ") + kIdentityTable).output;
  EXPECT_EQ(std::string::npos, table.find("server-")) << table;
  EXPECT_EQ(std::string::npos, table.find("cf-")) << table;
  EXPECT_EQ(std::string::npos, table.find("seeded")) << table;
}

TEST_F(UtilityE2E, WithTheAgentStopped) {
  ASSERT_TRUE(StopAndWait(kAgent));
  ASSERT_TRUE(WaitForBroker(false));

  ToolRun reset = Util("RESETUID SMBIOSGUID APPLYNOW");
  EXPECT_EQ(std::string(kFewSeconds) + "TVMA service is not running. Can't restart\n",
            reset.output);
  EXPECT_EQ(0u, reset.exit_code);
  EXPECT_TRUE(FlagIsSet());
  EXPECT_NE(std::string::npos, Identity().find("method=0 operation=1")) << Identity();
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), ServiceState(kAgent));

  // 20 registration attempts 500 ms apart.
  ToolRun poll = Util("POLL");
  EXPECT_EQ("Execution error - TVMA API returns: SERVER_NOT_RESPONDING\n", poll.output);
  EXPECT_EQ(1u, poll.exit_code);
  EXPECT_GE(poll.elapsed_ms, 9000u);
  EXPECT_LT(poll.elapsed_ms, 40000u);  // bounded, with room for a slow Wine start
}

}  // namespace
