// The service control objects and the registry flag against Wine's own
// service manager and registry.
#include <gtest/gtest.h>

#include <string>

#include "agentutil/reset_flag.h"
#include "agentutil/scm.h"
#include "fake_clock.h"
#include "wine_test_env.h"

using agentutil::ScmConnection;
using agentutil::ScmService;
using agentutil_test::FakeClock;

namespace {

// Wine runs RpcSs from its first boot and leaves Spooler stopped.
const char kRunningService[] = "RpcSs";
const char kStoppedService[] = "Spooler";
const DWORD kAccess = SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP;

class ScmTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0u, manager.Open(SC_MANAGER_CONNECT)); }
  ScmConnection manager;
  FakeClock clock;
};

TEST_F(ScmTest, OpenedConnectionHasNoError) {
  EXPECT_EQ(0u, manager.error());
  EXPECT_STREQ("", manager.error_text());
  // Opening again replaces the handle.
  EXPECT_EQ(0u, manager.Open(SC_MANAGER_CONNECT));
  EXPECT_TRUE(manager.handle() != NULL);
}

TEST_F(ScmTest, MissingServiceGivesTheSystemErrorAndItsText) {
  ScmService service(clock);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST),
            service.Open(manager, "hx no such service", kAccess));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), service.error());
  EXPECT_STRNE("", service.error_text());
  // A later operation starts from a clean error.
  EXPECT_EQ(0u, service.Close());
  EXPECT_EQ(0u, service.error());
  EXPECT_STREQ("", service.error_text());
}

TEST_F(ScmTest, RunningServiceIsActiveAndStartLeavesItAlone) {
  ScmService service(clock);
  ASSERT_EQ(0u, service.Open(manager, kRunningService, SERVICE_QUERY_STATUS));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), service.QueryState());
  EXPECT_EQ(1u, service.IsActive());
  // Only query access: an attempt to start would fail, so nothing was tried.
  EXPECT_EQ(0u, service.Start());
  EXPECT_EQ(0u, service.WaitForState(SERVICE_RUNNING, 60000));
  EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(ScmTest, StoppedServiceIsInactiveAndStopLeavesItAlone) {
  ScmService service(clock);
  ASSERT_EQ(0u, service.Open(manager, kStoppedService, SERVICE_QUERY_STATUS));
  EXPECT_EQ(0u, service.IsActive());
  EXPECT_EQ(0u, service.Stop());
}

TEST_F(ScmTest, WaitGivesUpOnceMoreThanTheTimeOutHasPassed) {
  ScmService service(clock);
  ASSERT_EQ(0u, service.Open(manager, kStoppedService, SERVICE_QUERY_STATUS));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), service.WaitForState(SERVICE_RUNNING, 3000));
  // Queries at 0, 1000, 2000, 3000 and 4000 ms.
  EXPECT_EQ(4u, clock.sleeps.size());
  for (size_t i = 0; i < clock.sleeps.size(); ++i) EXPECT_EQ(1000u, clock.sleeps[i]);
  EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), service.error());
  EXPECT_STRNE("", service.error_text());
}

TEST_F(ScmTest, UnopenedServiceReportsTheFailedQuery) {
  ScmService service(clock);
  EXPECT_EQ(0u, service.QueryState());
  DWORD error = service.error();
  EXPECT_NE(0u, error);
  // A failed query counts as active: stop tries and fails, start does nothing.
  EXPECT_EQ(error, service.IsActive());
  EXPECT_NE(0u, service.Stop());
  EXPECT_EQ(0u, service.Start());
  EXPECT_EQ(error, service.WaitForState(SERVICE_STOPPED, 60000));
  EXPECT_TRUE(clock.sleeps.empty());
}

// Sets the flag and puts the registry back as it was.
TEST(ResetFlagTest, CreatesTheKeyAndSetsOne) {
  const char* const chain[] = {"SOFTWARE\\Quillmoor", "SOFTWARE\\Quillmoor\\Tarnvale",
                               agentutil::kResetFlagKey};
  std::string created;  // the topmost key this test creates
  for (const char* key : chain) {
    HKEY probe = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
      RegCloseKey(probe);
    } else if (created.empty()) {
      created = key;
    }
  }
  DWORD old_data = 0;
  DWORD old_size = sizeof(old_data);
  DWORD old_type = 0;
  bool had_value = RegGetValueA(HKEY_LOCAL_MACHINE, agentutil::kResetFlagKey,
                                agentutil::kResetFlagValue, RRF_RT_ANY, &old_type, &old_data,
                                &old_size) == ERROR_SUCCESS;

  EXPECT_EQ(ERROR_SUCCESS, agentutil::SetResetCFTableFlag());
  DWORD data = 0;
  DWORD size = sizeof(data);
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, agentutil::kResetFlagKey,
                                        agentutil::kResetFlagValue, RRF_RT_REG_DWORD, NULL, &data,
                                        &size));
  EXPECT_EQ(1u, data);

  if (!created.empty()) {
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, created);
  } else if (had_value) {
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, agentutil::kResetFlagKey, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      RegSetValueExA(key, agentutil::kResetFlagValue, 0, old_type,
                     reinterpret_cast<const BYTE*>(&old_data), old_size);
      RegCloseKey(key);
    }
  } else {
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, agentutil::kResetFlagKey, agentutil::kResetFlagValue);
  }
}

}  // namespace
