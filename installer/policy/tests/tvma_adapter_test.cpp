// The agent adapter with a scripted messaging table: session set-up and
// tear-down, request replies of every size, and a missing library.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_policy_store.h"
#include "test_log.h"
#include "tvma_policy_adapter.h"
#include "wine_test_env.h"

namespace {

// Messaging calls answered from a script instead of tvma32.dll.
struct Script {
  TVMA_RESULT initialize = TVMA_SUCCESS;
  TVMA_RESULT registerModule = TVMA_SUCCESS;
  TVMA_RESULT unregisterModule = TVMA_SUCCESS;
  TVMA_RESULT send = TVMA_SUCCESS;
  std::string reply;  // the reply payload
  int uninitializeCalls = 0;
  int messagesCreated = 0;
  int messagesDeleted = 0;
  int tablesDestroyed = 0;
  UINT32 lastMessageId = 0;
  std::string lastPayload;
};
Script gScript;

class ScriptedTable : public TVMAApiTable {
 public:
  ScriptedTable() : TVMAApiTable(nullptr) {}
  ~ScriptedTable() override { ++gScript.tablesDestroyed; }
  TVMA_RESULT Initialize(UINT32 version, UINT32 flags) override {
    EXPECT_EQ(256u, version);
    EXPECT_EQ(0u, flags);
    return gScript.initialize;
  }
  TVMA_RESULT Uninitialize() override {
    ++gScript.uninitializeCalls;
    return TVMA_SUCCESS;
  }
  TVMA_RESULT RegisterModule(TVMA_MODULE* module, QMP_HANDLE) override {
    *module = 77;
    return gScript.registerModule;
  }
  TVMA_RESULT UnregisterModule(TVMA_MODULE module) override {
    EXPECT_EQ(77u, module);
    return gScript.unregisterModule;
  }
  TVMA_MESSAGE CreateMessage(UINT32 id) override {
    gScript.lastMessageId = id;
    ++gScript.messagesCreated;
    return 5;
  }
  TVMA_RESULT DeleteMessage(TVMA_MESSAGE) override {
    ++gScript.messagesDeleted;
    return TVMA_SUCCESS;
  }
  TVMA_RESULT SetMessageData(TVMA_MESSAGE, const void* data, UINT32 size) override {
    gScript.lastPayload.assign(static_cast<const char*>(data), size);
    return TVMA_SUCCESS;
  }
  TVMA_RESULT SendMessage(TVMA_MODULE, QMP_OID, TVMA_MESSAGE, UINT32 timeoutMs) override {
    EXPECT_EQ(15000u, timeoutMs);
    return gScript.send;
  }
  UINT32 GetResponseDataSize(TVMA_MESSAGE) override {
    return static_cast<UINT32>(gScript.reply.size());
  }
  TVMA_RESULT GetResponseData(TVMA_MESSAGE, void* buffer, UINT32 size) override {
    if (size > gScript.reply.size()) return TVMA_E_BUFFER_TOO_SMALL;
    memcpy(buffer, gScript.reply.data(), size);
    return TVMA_SUCCESS;
  }
};

class ScriptedAdapter : public TVMAPolicyAdapter {
 public:
  std::unique_ptr<TVMAApiTable> loadApiTable() override {
    return std::unique_ptr<TVMAApiTable>(new ScriptedTable());
  }
};

// An adapter that looks for tvma32.dll in a given directory.
class DirectoryAdapter : public TVMAPolicyAdapter {
 public:
  explicit DirectoryAdapter(const wchar_t* directory) : directory_(directory) {}

 protected:
  const wchar_t* CommonDirectory() override { return directory_; }

 private:
  const wchar_t* directory_;
};

std::string Status(INT32 status, const std::string& package = "") {
  std::string s(reinterpret_cast<const char*>(&status), 4);
  return s + package;
}

class TvmaFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    gScript = Script();
    testlog::Lines().clear();
    ForgetAgentPolicyDestination();
  }
  void TearDown() override { ForgetAgentPolicyDestination(); }
  fake::ScopedFakePolicy fake_;
};

TEST_F(TvmaFixture, SessionSetUpAndTearDown) {
  {
    ScriptedAdapter adapter;
    adapter.SetLogCallback(testlog::SinkV);
    ASSERT_TRUE(adapter.Initialize());
    EXPECT_EQ((std::vector<std::string>{"Establishing TVMA session...", "TVMA session created"}),
              testlog::Lines());
    EXPECT_TRUE(fake::TheStore().live.empty());  // module identity variable closed
    EXPECT_TRUE(adapter.Uninitialize());
    EXPECT_EQ(1, gScript.uninitializeCalls);
    EXPECT_EQ(1, gScript.tablesDestroyed);
  }
  EXPECT_EQ(1, gScript.uninitializeCalls);  // destructor: nothing left to release
}

TEST_F(TvmaFixture, InitializeFailuresUndoTheSession) {
  struct Case {
    TVMA_RESULT initialize;
    TVMA_RESULT registerModule;
    const char* message;
    int uninitializeCalls;
  } cases[] = {
      {TVMA_E_SERVER_NOT_RESPONDING, TVMA_SUCCESS, "TVMAInitialize failed", 0},
      {TVMA_SUCCESS, TVMA_E_ALREADY_REGISTERED, "TVMARegisterModule() failed", 1},
  };
  for (const Case& c : cases) {
    gScript = Script();
    gScript.initialize = c.initialize;
    gScript.registerModule = c.registerModule;
    testlog::Lines().clear();
    ScriptedAdapter adapter;
    adapter.SetLogCallback(testlog::SinkV);
    EXPECT_FALSE(adapter.Initialize());
    EXPECT_TRUE(testlog::Count(c.message) == 1) << c.message;
    EXPECT_EQ(c.uninitializeCalls, gScript.uninitializeCalls);
    EXPECT_EQ(1, gScript.tablesDestroyed);
    QMP_HANDLE slot = nullptr;
    EXPECT_EQ(-11, adapter.GetPolicy(&slot, "1.2"));
    EXPECT_EQ(-11, adapter.SetPolicy(nullptr));
  }
}

TEST_F(TvmaFixture, UninitializeWhenUnregistrationFails) {
  gScript.unregisterModule = TVMA_E_UNKNOWN_ERROR;
  ScriptedAdapter adapter;
  adapter.SetLogCallback(testlog::SinkV);
  ASSERT_TRUE(adapter.Initialize());
  EXPECT_FALSE(adapter.Uninitialize());
  EXPECT_EQ(1, testlog::Count("TVMAUnregisterModule failed"));
  EXPECT_EQ(1, gScript.uninitializeCalls);
  EXPECT_EQ(1, gScript.tablesDestroyed);
}

TEST_F(TvmaFixture, GetRequestRepliesBySize) {
  struct Case {
    std::string reply;
    INT32 expected;
    int unpacks;
    const char* unpacked;
  } cases[] = {
      {std::string("\0\0\0", 3), -9, 0, ""},
      {Status(0), 0, 1, ""},
      {Status(-508), -508, 0, ""},
      {Status(0, "package"), 0, 1, "package"},
      {Status(-3, "package"), -3, 0, ""},
  };
  ScriptedAdapter adapter;
  ASSERT_TRUE(adapter.Initialize());
  for (const Case& c : cases) {
    gScript.reply = c.reply;
    fake::TheStore().unpackCalls = 0;
    fake::TheStore().lastUnpacked.clear();
    QMP_HANDLE slot = nullptr;
    EXPECT_EQ(c.expected, adapter.GetPolicy(&slot, "1.3.6.1.4.1.5839.12.2.1"));
    EXPECT_EQ(c.unpacks, fake::TheStore().unpackCalls);
    EXPECT_EQ(c.unpacked, fake::TheStore().lastUnpacked);
    EXPECT_EQ(kTvmaPolicyGetMessage, gScript.lastMessageId);
    EXPECT_EQ("1.3.6.1.4.1.5839.12.2.1", gScript.lastPayload);  // the packed OID
    EXPECT_EQ(c.expected == 0, slot != nullptr);
    if (slot) fake::Api().close(slot);
  }
  EXPECT_EQ(gScript.messagesCreated, gScript.messagesDeleted);
  EXPECT_TRUE(fake::TheStore().live.empty());
}

TEST_F(TvmaFixture, SetRequestRepliesBySize) {
  struct Case {
    std::string reply;
    TVMA_RESULT send;
    INT32 expected;
  } cases[] = {
      {Status(0), TVMA_SUCCESS, 0},
      {Status(-7), TVMA_SUCCESS, -7},
      {Status(0, "1234"), TVMA_SUCCESS, -503},
      {"", TVMA_SUCCESS, -503},
      {Status(0), TVMA_E_TIMEOUT, static_cast<INT32>(TVMA_E_TIMEOUT)},
  };
  ScriptedAdapter adapter;
  ASSERT_TRUE(adapter.Initialize());
  QMP_HANDLE variable = nullptr;
  fake::Api().createPolicyVar(&variable);
  fake::Api().setOID(variable, "4.4");
  for (const Case& c : cases) {
    gScript.reply = c.reply;
    gScript.send = c.send;
    int freedBefore = fake::TheStore().packagesFreed;
    EXPECT_EQ(c.expected, adapter.SetPolicy(variable));
    EXPECT_EQ(kTvmaPolicySetMessage, gScript.lastMessageId);
    EXPECT_EQ(freedBefore + 1, fake::TheStore().packagesFreed);
  }
  EXPECT_EQ(gScript.messagesCreated, gScript.messagesDeleted);
  fake::Api().close(variable);
}

TEST_F(TvmaFixture, NoDestinationMeansNoMessage) {
  ScriptedAdapter adapter;
  ASSERT_TRUE(adapter.Initialize());
  fake::TheStore().createOidResult = -1;
  QMP_HANDLE slot = nullptr;
  EXPECT_EQ(-509, adapter.GetPolicy(&slot, "1.2"));
  EXPECT_EQ(-509, adapter.SetPolicy(nullptr));
  EXPECT_EQ(0, gScript.messagesCreated);
  // Once it can be made, requests go out.
  fake::TheStore().createOidResult = 0;
  gScript.reply = Status(-508);
  EXPECT_EQ(-508, adapter.GetPolicy(&slot, "1.2"));
  EXPECT_EQ(1, gScript.messagesCreated);
}

TEST_F(TvmaFixture, MissingLibraryFailsToLoadTheTable) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  const wchar_t* directories[] = {L"", temp};
  for (const wchar_t* directory : directories) {
    testlog::Lines().clear();
    DirectoryAdapter adapter(directory);
    adapter.SetLogCallback(testlog::SinkV);
    EXPECT_FALSE(adapter.Initialize());
    EXPECT_EQ((std::vector<std::string>{"Establishing TVMA session...",
                                        "loadApiTable('tvma32.dll') failed"}),
              testlog::Lines());
  }
  EXPECT_EQ(nullptr, GetModuleHandleW(L"tvma32.dll"));
}

TEST_F(TvmaFixture, LibraryWithoutTheFunctionsIsFreed) {
  // Any DLL under the name tvma32.dll that lacks the ten functions.
  hxtest::TempDir dir("hxtvma");
  ASSERT_TRUE(hxtest::CopyFileTo(hxtest::BinDir() + "policy_delay_test\\tvisu.dll",
                                 dir / "tvma32.dll"));
  std::wstring wide(dir.path().begin(), dir.path().end());
  DirectoryAdapter adapter(wide.c_str());
  adapter.SetLogCallback(testlog::SinkV);
  EXPECT_FALSE(adapter.Initialize());
  EXPECT_EQ(1, testlog::Count("loadApiTable('tvma32.dll') failed"));
  EXPECT_EQ(nullptr, GetModuleHandleA((dir / "tvma32.dll").c_str()));
}

}  // namespace
