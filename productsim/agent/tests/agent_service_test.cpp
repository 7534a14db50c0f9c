// The agent and handler stand-ins as real services under Wine: readiness
// mutex, registration, policy get and set against the store, pump round
// trips, polls, identity generation at start, and sends in flight while the
// agent stops. The agent serves a scratch policy store.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "broker_fixture.h"
#include "policy_codes.h"
#include "productsim/agent/agent_control_client.h"
#include "productsim/agent/service_control.h"
#include "store_file.h"
#include "tvpmapi.h"

namespace tvsimtest {
namespace {

constexpr DWORD kServiceWaitMs = 30000;
constexpr char kHxupdModule[] = "1.3.6.1.4.1.5839.11.2.27.10000";
constexpr char kUtilityModule[] = "1.2.3.2.1";

// The policy library stand-in, bound by name.
struct PolicyLib {
  HMODULE library = nullptr;
  decltype(&QmpCreatePolicyVar) CreateVar = nullptr;
  decltype(&QmpSetOID) SetOID = nullptr;
  decltype(&QmpClose) Close = nullptr;
  decltype(&QmpSetStringA) SetString = nullptr;
  decltype(&QmpGetStringA) GetString = nullptr;
  decltype(&QmpCreatePolicyOID) CreateOID = nullptr;
  decltype(&TchGetPackedOID) GetPackedOID = nullptr;
  decltype(&TchGetPackedOIDSize) GetPackedOIDSize = nullptr;
  decltype(&TchUnpackPolicyGetPackage) UnpackGet = nullptr;
  decltype(&TchCreatePolicySetPackage) CreateSetPackage = nullptr;
  decltype(&TchFreeMemory) FreeMemory = nullptr;

  template <typename F>
  bool Bind(const char* name, F* slot) {
    *slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return *slot != nullptr;
  }
  bool Load() {
    if (library != nullptr) return true;
    library = LoadLibraryA((hxtest::BinDir() + "TVPMAPI.dll").c_str());
    return library != nullptr && Bind("QmpCreatePolicyVar", &CreateVar) &&
           Bind("QmpSetOID", &SetOID) && Bind("QmpClose", &Close) &&
           Bind("QmpSetStringA", &SetString) && Bind("QmpGetStringA", &GetString) &&
           Bind("QmpCreatePolicyOID", &CreateOID) && Bind("TchGetPackedOID", &GetPackedOID) &&
           Bind("TchGetPackedOIDSize", &GetPackedOIDSize) &&
           Bind("TchUnpackPolicyGetPackage", &UnpackGet) &&
           Bind("TchCreatePolicySetPackage", &CreateSetPackage) &&
           Bind("TchFreeMemory", &FreeMemory);
  }
  QMP_HANDLE Var(const char* oid) {
    QMP_HANDLE v = nullptr;
    EXPECT_EQ(CreateVar(&v), 0);
    EXPECT_EQ(SetOID(v, oid), 0);
    return v;
  }
};

PolicyLib& Policy() {
  static PolicyLib lib;
  return lib;
}

class AgentServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    existed_ = tvsim::ServiceExists(tvsim::kAgentServiceName) ||
               tvsim::ServiceExists(tvsim::kHandlerServiceName);
    if (existed_) return;
    store_.reset(new hxtest::TempDir("tvsimagentstore"));
    SetEnvironmentVariableA("TVSIM_STORE_DIR", store_->path().c_str());
    std::string agent = hxtest::BinDir() + tvsim::kAgentExe;
    std::string handler = hxtest::BinDir() + tvsim::kHandlerExe;
    installed_ = tvsim::InstallService(tvsim::kAgentServiceName, tvsim::kAgentDisplayName,
                                       std::wstring(agent.begin(), agent.end()),
                                       tvsim::AgentStoreArguments()) == 0 &&
                 tvsim::InstallService(tvsim::kHandlerServiceName, tvsim::kHandlerDisplayName,
                                       std::wstring(handler.begin(), handler.end())) == 0;
  }

  static void TearDownTestSuite() {
    if (existed_) return;
    tvsim::RemoveService(tvsim::kAgentServiceName, kServiceWaitMs);
    tvsim::RemoveService(tvsim::kHandlerServiceName, kServiceWaitMs);
    SetEnvironmentVariableA("TVSIM_STORE_DIR", nullptr);
    store_.reset();
  }

  void SetUp() override {
    if (existed_) GTEST_SKIP() << "a tvma or handler service is installed already";
    ASSERT_TRUE(installed_);
    ASSERT_EQ(tvsim::StartServiceAndWait(tvsim::kAgentServiceName, kServiceWaitMs), 0u);
    ASSERT_TRUE(Tvma().Load("tvma32.dll"));
    ASSERT_TRUE(Policy().Load());
    ASSERT_EQ(Tvma().Initialize(256, 0), TVMA_SUCCESS);
    std::string text;
    ASSERT_EQ(tvsim::SendAgentControl("reset", "", &text), TVMA_SUCCESS);
  }

  void TearDown() override {
    if (existed_) return;
    Tvma().Uninitialize();
    std::string text;
    tvsim::SendAgentControl("reset", "", &text);
  }

  static bool existed_;
  static bool installed_;
  static std::unique_ptr<hxtest::TempDir> store_;
};

bool AgentServiceTest::existed_ = false;
bool AgentServiceTest::installed_ = false;
std::unique_ptr<hxtest::TempDir> AgentServiceTest::store_;

// A send through the handle-based calls, as the installer makes it; the
// reply comes back in *reply.
TVMA_RESULT SendByHandle(TVMA_MODULE module, QMP_OID destination, UINT32 id, const void* data,
                         UINT32 size, std::vector<uint8_t>* reply) {
  TVMA_MESSAGE m = Tvma().CreateMessage(id);
  EXPECT_EQ(Tvma().SetMessageData(m, data, size), TVMA_SUCCESS);
  TVMA_RESULT r = Tvma().SendMessage(module, destination, m, 15000);
  reply->assign(Tvma().GetResponseDataSize(m), 0);
  if (!reply->empty()) Tvma().GetResponseData(m, reply->data(), static_cast<UINT32>(reply->size()));
  Tvma().DeleteMessage(m);
  return r;
}

TEST_F(AgentServiceTest, ModuleGetsAndSetsPolicyThroughTheAgent) {
  EXPECT_TRUE(tvsim::AgentReady());
  PolicyLib& p = Policy();
  QMP_HANDLE identity = p.Var(kHxupdModule);
  TVMA_MODULE module = 0;
  ASSERT_EQ(Tvma().RegisterModule(&module, identity), TVMA_SUCCESS);
  p.Close(identity);
  TVMA_MODULE again = 0;
  EXPECT_EQ(Tvma().Register2(&again, kHxupdModule), TVMA_E_ALREADY_REGISTERED);

  QMP_OID destination = nullptr;
  ASSERT_EQ(p.CreateOID(tvsim::kPolicyModuleOid, &destination), 0);
  const char kOid[] = "1.3.6.1.4.1.5839.11.77.1";
  std::vector<uint8_t> reply;

  // Set.
  QMP_HANDLE value = p.Var(kOid);
  ASSERT_EQ(p.SetString(value, "from the agent"), 0);
  void* package = nullptr;
  INT32 package_size = 0;
  ASSERT_EQ(p.CreateSetPackage(value, &package, &package_size), 0);
  EXPECT_EQ(SendByHandle(module, destination, tvsim::kPolicySetMessage, package,
                         static_cast<UINT32>(package_size), &reply),
            TVMA_SUCCESS);
  p.FreeMemory(package);
  p.Close(value);
  ASSERT_EQ(reply, (std::vector<uint8_t>{0, 0, 0, 0}));
  tvsim::PolicyValue stored;
  ASSERT_EQ(tvsim::ServeGet(kOid, &stored), tvsim::kOk);
  EXPECT_EQ(stored.scalar.text, "from the agent");

  // Get.
  QMP_HANDLE read = p.Var(kOid);
  void* packed = nullptr;
  ASSERT_EQ(p.GetPackedOID(read, &packed), 0);
  EXPECT_EQ(SendByHandle(module, destination, tvsim::kPolicyGetMessage, packed,
                         static_cast<UINT32>(p.GetPackedOIDSize(packed)), &reply),
            TVMA_SUCCESS);
  ASSERT_GT(reply.size(), 4u);
  EXPECT_EQ(reply[0] | reply[1] | reply[2] | reply[3], 0);
  ASSERT_EQ(p.UnpackGet(read, reply.data() + 4, static_cast<INT32>(reply.size() - 4)), 0);
  char text[64] = {};
  ASSERT_EQ(p.GetString(read, text, sizeof text), 0);
  EXPECT_STREQ(text, "from the agent");
  p.Close(read);

  // An OID the store lacks.
  QMP_HANDLE missing = p.Var("1.3.6.1.4.1.5839.11.77.2");
  ASSERT_EQ(p.GetPackedOID(missing, &packed), 0);
  EXPECT_EQ(SendByHandle(module, destination, tvsim::kPolicyGetMessage, packed,
                         static_cast<UINT32>(p.GetPackedOIDSize(packed)), &reply),
            TVMA_SUCCESS);
  ASSERT_EQ(reply.size(), 4u);
  int32_t status = static_cast<int32_t>(reply[0] | (reply[1] << 8) | (reply[2] << 16) |
                                        (static_cast<uint32_t>(reply[3]) << 24));
  EXPECT_EQ(status, tvsim::kErrOidNotFound);
  p.Close(missing);
  EXPECT_EQ(Tvma().UnregisterModule(module), TVMA_SUCCESS);
}

TEST_F(AgentServiceTest, PumpRepliesReachSendersAndPollsAreCounted) {
  TVMA_MODULE utility = 0;
  ASSERT_EQ(Tvma().Register2(&utility, kUtilityModule), TVMA_SUCCESS);
  TVMA_MODULE sender = 0;
  ASSERT_EQ(Tvma().Register2(&sender, kHxupdModule), TVMA_SUCCESS);
  {
    PumpThread pump(utility);
    TVMA_MESSAGE m = Tvma().CreateMessage(1);
    ASSERT_EQ(Tvma().SetMessageData(m, "ping", 4), TVMA_SUCCESS);
    EXPECT_EQ(Tvma().Send2(sender, kUtilityModule, m, 6000), TVMA_SUCCESS);
    char reply[8] = {};
    ASSERT_EQ(Tvma().GetResponseDataSize(m), 4u);
    EXPECT_EQ(Tvma().GetResponseData(m, reply, 4), TVMA_SUCCESS);
    EXPECT_STREQ(reply, "ping");
    Tvma().DeleteMessage(m);

    // The set-up tool reaches the pump through the agent as well.
    std::string output;
    hxtest::ProcessResult run = hxtest::RunProcessCapture(
        "\"" + hxtest::BinDir() + "tvsim_setup.exe\" agent send " + kUtilityModule + " 1 0a0b0c",
        &output);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exit_code, 0u) << output;
    EXPECT_NE(output.find("result=0x04000000 reply=0a0b0c"), std::string::npos) << output;
    EXPECT_EQ(pump.received(), (std::vector<UINT32>{1, 1}));
  }
  for (int i = 0; i < 3; ++i) {
    TVMA_MESSAGE poll = Tvma().CreateMessage(tvsim::kPollMessage);
    EXPECT_EQ(Tvma().Send2(utility, tvsim::kPollModuleOid, poll, 6000), TVMA_SUCCESS);
    Tvma().DeleteMessage(poll);
  }
  std::string count;
  ASSERT_EQ(tvsim::SendAgentControl("poll-count", "", &count), TVMA_SUCCESS);
  EXPECT_EQ(count, "3");
  EXPECT_EQ(Tvma().UnregisterModule(utility), TVMA_SUCCESS);
  EXPECT_EQ(Tvma().UnregisterModule(sender), TVMA_SUCCESS);
}

TEST_F(AgentServiceTest, StoppingTheAgentFailsSendsInFlightAndDropsTheMutex) {
  TVMA_MODULE module = 0;
  ASSERT_EQ(Tvma().Register2(&module, kUtilityModule), TVMA_SUCCESS);
  std::string text;
  ASSERT_EQ(tvsim::SendAgentControl("reply-delay", "30000", &text), TVMA_SUCCESS);
  DWORD start = GetTickCount();
  auto in_flight = std::async(std::launch::async, [&] {
    TVMA_MESSAGE poll = Tvma().CreateMessage(tvsim::kPollMessage);
    TVMA_RESULT r = Tvma().Send2(module, tvsim::kPollModuleOid, poll, 20000);
    Tvma().DeleteMessage(poll);
    return r;
  });
  Sleep(500);
  ASSERT_EQ(tvsim::StopServiceAndWait(tvsim::kAgentServiceName, kServiceWaitMs), 0u);
  TVMA_RESULT r = in_flight.get();
  EXPECT_TRUE(TVMA_FAILED(r)) << std::hex << r;
  EXPECT_LT(GetTickCount() - start, 15000u);
  EXPECT_FALSE(tvsim::AgentReady());
  TVMA_MODULE later = 0;
  EXPECT_EQ(Tvma().Register2(&later, "1.2.3.9"), TVMA_E_SERVER_NOT_RESPONDING);
  Tvma().UnregisterModule(module);
}

TEST_F(AgentServiceTest, AgentGeneratesAPendingIdentityWhenItStarts) {
  ASSERT_EQ(tvsim::StopServiceAndWait(tvsim::kAgentServiceName, kServiceWaitMs), 0u);
  ASSERT_EQ(tvsim::UpdateStore([](tvsim::StoreImage& image) {
              image.identity.method = 2;  // WINS: the computer name
              image.identity.operation = 1;
              image.identity.value = "old";
              return tvsim::kOk;
            }),
            tvsim::kOk);
  ASSERT_EQ(tvsim::StartServiceAndWait(tvsim::kAgentServiceName, kServiceWaitMs), 0u);
  tvsim::StoreImage image;
  ASSERT_EQ(tvsim::LoadStore(&image), tvsim::kOk);
  EXPECT_EQ(image.identity.operation, 0);
  EXPECT_NE(image.identity.value, "old");
  EXPECT_FALSE(image.identity.value.empty());
}

TEST_F(AgentServiceTest, HandlerServiceRunsAndStopsOnRequest) {
  ASSERT_EQ(tvsim::StartServiceAndWait(tvsim::kHandlerServiceName, kServiceWaitMs), 0u);
  EXPECT_EQ(tvsim::QueryServiceState(tvsim::kHandlerServiceName), DWORD{SERVICE_RUNNING});
  ASSERT_EQ(tvsim::StopServiceAndWait(tvsim::kHandlerServiceName, kServiceWaitMs), 0u);
  EXPECT_EQ(tvsim::QueryServiceState(tvsim::kHandlerServiceName), DWORD{SERVICE_STOPPED});
}

}  // namespace
}  // namespace tvsimtest
