// The set-up tool from a clean prefix: install, values shared between
// processes, fault switches, and an uninstall that leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "product_keys.h"
#include "scratch_store.h"
#include "shared/scoped_handle.h"
#include "tvpmapi.h"
#include "wine_test_env.h"

namespace {

const char kRootKey[] = "Software\\Quillmoor\\Tarnvale";

struct ToolResult {
  DWORD exit_code;
  std::string output;
};

ToolResult Tool(const std::string& args) {
  ToolResult r = {9999, ""};
  auto p = hxtest::RunProcessCapture("\"" + hxtest::BinDir() + "tvsim_setup.exe\" " + args,
                                     &r.output);
  EXPECT_TRUE(p.started && !p.timed_out) << args;
  r.exit_code = p.exit_code;
  if (r.exit_code != 0) std::printf("tvsim_setup %s -> %lu\n%s", args.c_str(), r.exit_code, r.output.c_str());
  return r;
}

bool KeyExists(const std::string& key, REGSAM view) {
  hx::ScopedRegKey k;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, k.Receive()) ==
         ERROR_SUCCESS;
}

std::string MachineText(const std::string& key, const char* name) {
  hx::ScopedRegKey k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                    k.Receive()) != ERROR_SUCCESS)
    return "<missing key>";
  char buffer[512] = {};
  DWORD size = sizeof buffer - 1;
  if (RegQueryValueExA(k.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS)
    return "<missing>";
  return buffer;
}

// Reads a policy variable through the policy library, as the product's
// programs do; "<code>" on failure.
std::string PolicyText(const std::string& oid) {
  TCH_CHANNEL ch = nullptr;
  if (TchInitialize(&ch, nullptr) != 0) return "<channel>";
  QMP_HANDLE v = nullptr;
  QmpCreatePolicyVar(&v);
  QmpSetOID(v, oid.c_str());
  std::string result;
  INT32 r = TchGetPolicy(ch, v);
  if (r == 0) {
    char buffer[256] = {};
    r = QmpGetStringA(v, buffer, sizeof buffer);
    result = buffer;
  }
  if (r != 0) result = "<" + std::to_string(r) + ">";
  QmpClose(v);
  TchUninitialize(ch);
  return result;
}

void TableShape(const std::string& oid, INT32* rows, std::vector<INT32>* types) {
  TCH_CHANNEL ch = nullptr;
  ASSERT_EQ(0, TchInitialize(&ch, nullptr));
  QMP_HANDLE t = nullptr;
  QmpCreatePolicyTable(&t);
  QmpSetOID(t, oid.c_str());
  INT32 columns = 0;
  EXPECT_EQ(0, TchGetPolicy(ch, t));
  EXPECT_EQ(0, QmpGetTableDimensions(t, rows, &columns));
  types->clear();
  for (INT32 c = 0; c < columns; ++c) {
    INT32 type = 0;
    QmpGetColumnType(t, c, &type);
    types->push_back(type);
  }
  QmpClose(t);
  TchUninitialize(ch);
}

class SetupToolTest : public ::testing::Test {
 protected:
  // A quoted argument must not end in a backslash, so the root is passed
  // without one; the tool adds it.
  void SetUp() override { root_ = root_dir_ / "Tarnvale\\"; }
  std::string RootArg() const { return "--root \"" + root_.substr(0, root_.size() - 1) + "\""; }
  void TearDown() override { Tool("uninstall"); }
  tvsimtest::ScratchStore store_;
  hxtest::TempDir root_dir_{"tvsimroot"};
  std::string root_;
};

TEST_F(SetupToolTest, InstallLaysOutTheProductAndUninstallRemovesIt) {
  const std::string oid = "1.3.6.1.4.1.5839.14";
  ASSERT_EQ(0u, Tool("install " + RootArg() + " --oid " + oid +
                     " --version 7.50 --build 42 --language DEU")
                    .exit_code);
  const char* key_name = tvsim_setup::ProductKeyName(oid);
  ASSERT_NE(nullptr, key_name);
  std::string product_key = std::string(kRootKey) + "\\" + key_name;
  EXPECT_EQ(root_, MachineText(kRootKey, "InstallationRootDirectory"));
  EXPECT_EQ("7.50", MachineText(product_key, "CurrentVersion"));
  EXPECT_EQ("7.50.42", MachineText(product_key, "CurrentVersionEx"));
  EXPECT_EQ(root_ + key_name + "\\", MachineText(product_key, "InstallationDirectory"));
  EXPECT_TRUE(KeyExists(std::string(kRootKey) + "\\TVSetup", KEY_WOW64_64KEY));
  for (const char* lib : {"TVPMAPI.dll", "tvisu.dll"}) {
    std::string path = root_ + "Common\\" + lib;
    EXPECT_EQ(path, MachineText(std::string(kRootKey) + "\\delay loading", lib));
    EXPECT_TRUE(hxtest::FileExists(path)) << path;
  }

  EXPECT_EQ("7.50", PolicyText(oid + ".2.1"));
  EXPECT_EQ("42", PolicyText(oid + ".2.7"));
  EXPECT_EQ("DEU", PolicyText(oid + ".1.2"));
  EXPECT_EQ("<-508>", PolicyText("1.2.3.4.5.6.7.8.9.10"));
  const struct {
    std::string oid;
    INT32 rows;
    std::vector<INT32> types;
  } kTables[] = {
      {oid + ".2.9.10", 0, {7, 3, 3, 7, 3, 3, 7}},
      {"1.3.6.1.4.1.5839.11.2.27.1", 0, {7, 3, 2, 3, 7, 7}},
      {"1.3.6.1.4.1.5839.11.4.14.10", 3, {7, 3, 3, 3}},
  };
  for (const auto& t : kTables) {
    INT32 rows = -1;
    std::vector<INT32> types;
    TableShape(t.oid, &rows, &types);
    EXPECT_EQ(t.rows, rows) << t.oid;
    EXPECT_EQ(t.types, types) << t.oid;
  }
  char uid[256];
  INT32 size = 255;
  EXPECT_EQ(0, QmpGetUIDA(0, uid, &size));

  ASSERT_EQ(0u, Tool("uninstall").exit_code);
  EXPECT_FALSE(KeyExists("Software\\Quillmoor", KEY_WOW64_64KEY));
  EXPECT_FALSE(KeyExists("Software\\Quillmoor", KEY_WOW64_32KEY));
  EXPECT_FALSE(hxtest::FileExists(root_));
  EXPECT_FALSE(hxtest::FileExists(store_.path() + "policy.txt"));
}

TEST_F(SetupToolTest, PolicyWrittenByOneProcessIsReadByAnother) {
  ASSERT_EQ(0u, Tool("install " + RootArg()).exit_code);
  // This process writes, the tool reads.
  {
    TCH_CHANNEL ch = nullptr;
    ASSERT_EQ(0, TchInitialize(&ch, nullptr));
    QMP_HANDLE v = nullptr;
    QmpCreatePolicyVar(&v);
    QmpSetOID(v, "1.3.6.1.4.1.5839.11.5.1");
    QmpSetStringA(v, "written here");
    EXPECT_EQ(0, TchSetPolicy(ch, v, 0));
    QmpClose(v);
    TchUninitialize(ch);
  }
  ToolResult got = Tool("get 1.3.6.1.4.1.5839.11.5.1");
  EXPECT_EQ(0u, got.exit_code);
  EXPECT_EQ("written here\n", got.output.substr(0, got.output.find('\r')) + "\n");
  // The tool writes, this process reads.
  EXPECT_EQ(0u, Tool("set 1.3.6.1.4.1.5839.11.2.1 9.10").exit_code);
  EXPECT_EQ("9.10", PolicyText("1.3.6.1.4.1.5839.11.2.1"));
  EXPECT_EQ(0u, Tool("set 1.3.6.1.4.1.5839.11.5.2 -5 --type 7").exit_code);
  EXPECT_EQ("-5", PolicyText("1.3.6.1.4.1.5839.11.5.2"));
  EXPECT_EQ(0u, Tool("add-row 1.3.6.1.4.1.5839.11.4.14.10 3 d e f").exit_code);
  EXPECT_EQ(0u, Tool("set-cell 1.3.6.1.4.1.5839.11.4.14.10 3 2 changed").exit_code);
  ToolResult table = Tool("get 1.3.6.1.4.1.5839.11.4.14.10");
  EXPECT_NE(std::string::npos, table.output.find("row\t3\td\tchanged\tf"));
  EXPECT_EQ(0u, Tool("delete 1.3.6.1.4.1.5839.11.5.2").exit_code);
  EXPECT_EQ("<-508>", PolicyText("1.3.6.1.4.1.5839.11.5.2"));
}

TEST_F(SetupToolTest, FaultSwitchesSetFromOutside) {
  EXPECT_EQ(0u, Tool("fault channel-refused on").exit_code);
  EXPECT_EQ("<channel>", PolicyText("1.2.3.4.5.6.7.8.9.10"));
  EXPECT_EQ(0u, Tool("fault channel-refused off").exit_code);
  EXPECT_EQ(0u, Tool("fault probe-exists on").exit_code);
  EXPECT_EQ("", PolicyText("1.2.3.4.5.6.7.8.9.10"));
  EXPECT_EQ(0u, Tool("fault oid-error 1.3.6.1.4.1.5839.11.2.1 -77").exit_code);
  EXPECT_EQ("<-77>", PolicyText("1.3.6.1.4.1.5839.11.2.1"));
  EXPECT_NE(std::string::npos, Tool("fault show").output.find("probe-exists"));
  EXPECT_EQ(0u, Tool("fault clear").exit_code);
  EXPECT_EQ("<-508>", PolicyText("1.2.3.4.5.6.7.8.9.10"));
  EXPECT_EQ("<-508>", PolicyText("1.3.6.1.4.1.5839.11.2.1"));
  EXPECT_FALSE(hxtest::FileExists(store_.path() + "faults.txt"));
}

TEST_F(SetupToolTest, UsageAndMissingEntries) {
  EXPECT_EQ(1u, Tool("no-such-command").exit_code);
  EXPECT_EQ(1u, Tool("set 1.2").exit_code);
  EXPECT_EQ(1u, Tool("fault probe-exists maybe").exit_code);
  EXPECT_EQ(3u, Tool("get 1.3.6.1.4.1.5839.11.2.1").exit_code);
  EXPECT_EQ(3u, Tool("status").exit_code);
}

}  // namespace
