// The policy library stand-in as its callers use it: variables, tables, the
// channel to the shared store, packing, identity and fault switches.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "identity.h"
#include "packing.h"
#include "policy_codes.h"
#include "scratch_store.h"
#include "shared/scoped_handle.h"
#include "store_file.h"
#include "tvpmapi.h"
#include "wine_test_env.h"

using namespace tvsim;

namespace {

const char kProbe[] = "1.2.3.4.5.6.7.8.9.10";
const char kVersionOid[] = "1.3.6.1.4.1.5839.11.2.1";
const char kTableOid[] = "1.3.6.1.4.1.5839.11.2.27.1";

class Var {
 public:
  explicit Var(bool table = false) {
    EXPECT_EQ(0, table ? QmpCreatePolicyTable(&h) : QmpCreatePolicyVar(&h));
  }
  Var(const char* oid, bool table) : Var(table) { EXPECT_EQ(0, QmpSetOID(h, oid)); }
  ~Var() {
    if (h) QmpClose(h);
  }
  QMP_HANDLE h = nullptr;
};

class Channel {
 public:
  Channel() { r = TchInitialize(&c, nullptr); }
  ~Channel() {
    if (c) TchUninitialize(c);
  }
  TCH_CHANNEL c = nullptr;
  INT32 r;
};

std::string ReadString(QMP_HANDLE h) {
  INT32 n = QmpGetStringA(h, nullptr, 0);
  if (n <= 0) return "<" + std::to_string(n) + ">";
  std::vector<char> buffer(n);
  EXPECT_EQ(0, QmpGetStringA(h, buffer.data(), n));
  return buffer.data();
}

std::string ReadCell(QMP_HANDLE h, INT32 row, INT32 column) {
  INT32 n = QmpGetCellStringA(h, row, column, nullptr, 0);
  if (n <= 0) return "<" + std::to_string(n) + ">";
  std::vector<char> buffer(n);
  EXPECT_EQ(0, QmpGetCellStringA(h, row, column, buffer.data(), n));
  return buffer.data();
}

class TvpmapiTest : public ::testing::Test {
 protected:
  tvsimtest::ScratchStore store_;
};

TEST_F(TvpmapiTest, ScalarTypesAndSizeQueryConvention) {
  Var text(kVersionOid, false);
  INT32 type = -1;
  ASSERT_EQ(0, QmpGetType(text.h, &type));
  EXPECT_EQ(0, type);                                 // no value yet
  EXPECT_EQ(0, QmpGetStringA(text.h, nullptr, 0));    // nothing to read
  ASSERT_EQ(0, QmpSetStringA(text.h, "8.00"));
  ASSERT_EQ(0, QmpGetType(text.h, &type));
  EXPECT_EQ(3, type);
  EXPECT_EQ(5, QmpGetStringA(text.h, nullptr, 0));    // bytes with the NUL
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(0, QmpGetStringA(text.h, buffer, 5));
  EXPECT_STREQ("8.00", buffer);
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_LT(QmpGetStringA(text.h, buffer, 4), 0);     // too small: error, never past the end
  EXPECT_EQ('x', buffer[4]);
  EXPECT_LT(QmpGetStringA(text.h, nullptr, 4), 0);
  EXPECT_NE(0, QmpSetInt(text.h, 5));                 // text stays text

  Var number(false);
  ASSERT_EQ(0, QmpSetInt(number.h, -17));
  ASSERT_EQ(0, QmpGetType(number.h, &type));
  EXPECT_EQ(7, type);
  EXPECT_EQ("-17", ReadString(number.h));             // integers read as decimal text
  EXPECT_NE(0, QmpSetStringA(number.h, "x"));
  INT32 rows = 0, columns = 0;
  EXPECT_NE(0, QmpGetTableDimensions(number.h, &rows, &columns));

  EXPECT_NE(0, QmpSetOID(number.h, "1..2"));
  EXPECT_NE(0, QmpClose(reinterpret_cast<QMP_HANDLE>(&type)));  // not a handle
}

TEST_F(TvpmapiTest, StoreAnswers508ForMissingOidAndKeepsWrittenValues) {
  Channel ch;
  ASSERT_EQ(0, ch.r);
  {
    Var v(kVersionOid, false);
    EXPECT_EQ(QMP_E_OID_NOT_FOUND, TchGetPolicy(ch.c, v.h));
    Var probe(kProbe, false);
    EXPECT_EQ(-508, TchGetPolicy(ch.c, probe.h));
    Var unnamed(false);
    EXPECT_NE(0, TchGetPolicy(ch.c, unnamed.h));
    ASSERT_EQ(0, QmpSetStringA(v.h, "8.10"));
    ASSERT_EQ(0, TchSetPolicy(ch.c, v.h, 0));
  }
  Var v(kVersionOid, false);
  ASSERT_EQ(0, TchGetPolicy(ch.c, v.h));
  EXPECT_EQ("8.10", ReadString(v.h));
  StoreImage image;  // and the store file holds it
  ASSERT_EQ(kOk, LoadStore(&image));
  EXPECT_EQ("8.10", image.entries[kVersionOid].scalar.text);
}

// The agent table as the installer rewrites it: every row removed, rows
// appended with -1, cells of all three kinds, written and read back.
TEST_F(TvpmapiTest, TableCellsRowsAndTypeChecks) {
  ASSERT_EQ(kOk, UpdateStore([](StoreImage& image) {
              image.entries[kTableOid] = PolicyValue::Table({7, 3, 2, 3, 7, 7});
              return kOk;
            }));
  Channel ch;
  {
    Var t(kTableOid, true);
    ASSERT_EQ(0, TchGetPolicy(ch.c, t.h));
    INT32 rows = -1, columns = -1, type = 0;
    ASSERT_EQ(0, QmpGetTableDimensions(t.h, &rows, &columns));
    EXPECT_EQ(0, rows);
    EXPECT_EQ(6, columns);
    ASSERT_EQ(0, QmpGetColumnType(t.h, 2, &type));
    EXPECT_EQ(2, type);
    EXPECT_NE(0, QmpGetColumnType(t.h, 6, &type));
    EXPECT_NE(0, QmpSetCellStringA(t.h, 0, 1, "x"));  // no row yet
    for (int r = 0; r < 3; ++r) {
      ASSERT_EQ(0, QmpInsertRow(t.h, -1));
      ASSERT_EQ(0, QmpSetCellInt(t.h, r, 0, r));
      ASSERT_EQ(0, QmpSetCellStringA(t.h, r, 1, ("HF-" + std::to_string(r)).c_str()));
      char raw[64] = {};
      QMP_VALUE_RECORD* rec = reinterpret_cast<QMP_VALUE_RECORD*>(raw);
      rec->type = 2;
      rec->length = 20;
      std::strcpy(rec->data, "1.3.6.1.4.1.5839.11");
      ASSERT_EQ(0, QmpSetCellValue(t.h, r, 2, rec));
      ASSERT_EQ(0, QmpSetCellInt(t.h, r, 4, -1));
    }
    ASSERT_EQ(0, QmpInsertRow(t.h, 0));  // before row 0
    ASSERT_EQ(0, QmpRemoveRow(t.h, 0));
    ASSERT_EQ(0, QmpRemoveRow(t.h, 1));  // drops HF-1
    EXPECT_NE(0, QmpRemoveRow(t.h, 2));
    EXPECT_NE(0, QmpInsertRow(t.h, 3));
    EXPECT_NE(0, QmpInsertRow(t.h, -2));
    // Type checks: text into an integer column and the reverse.
    EXPECT_NE(0, QmpSetCellStringA(t.h, 0, 0, "1"));
    EXPECT_NE(0, QmpSetCellInt(t.h, 0, 1, 1));
    INT32 n = 0;
    EXPECT_NE(0, QmpGetCellInt(t.h, 0, 1, &n));
    EXPECT_NE(0, QmpGetCellInt(t.h, 0, 9, &n));
    EXPECT_NE(0, QmpSetStringA(t.h, "x"));
    ASSERT_EQ(0, TchSetPolicy(ch.c, t.h, 0));
  }
  Var t(kTableOid, true);
  ASSERT_EQ(0, TchGetPolicy(ch.c, t.h));
  INT32 rows = 0, columns = 0, n = 0;
  ASSERT_EQ(0, QmpGetTableDimensions(t.h, &rows, &columns));
  ASSERT_EQ(2, rows);
  EXPECT_EQ("HF-0", ReadCell(t.h, 0, 1));
  EXPECT_EQ("HF-2", ReadCell(t.h, 1, 1));
  EXPECT_EQ(5, QmpGetCellStringA(t.h, 0, 1, nullptr, 0));
  ASSERT_EQ(0, QmpGetCellInt(t.h, 1, 4, &n));
  EXPECT_EQ(-1, n);
  char raw[256] = {};
  QMP_VALUE_RECORD* rec = reinterpret_cast<QMP_VALUE_RECORD*>(raw);
  ASSERT_EQ(0, QmpGetCellValue(t.h, 1, 2, rec, sizeof raw));
  EXPECT_EQ(2, rec->type);
  EXPECT_EQ(20, rec->length);
  EXPECT_STREQ("1.3.6.1.4.1.5839.11", rec->data);
  EXPECT_NE(0, QmpGetCellValue(t.h, 1, 2, rec, 20));  // header and text do not fit
}

TEST_F(TvpmapiTest, PackedOidAndPackagesRoundTrip) {
  Var v(kVersionOid, false);
  void* packed = nullptr;
  ASSERT_EQ(0, TchGetPackedOID(v.h, &packed));
  INT32 size = TchGetPackedOIDSize(packed);
  ASSERT_GT(size, 0);
  std::string oid;
  ASSERT_EQ(kOk, UnpackOid(packed, size, &oid));
  EXPECT_EQ(kVersionOid, oid);
  Var unnamed(false);
  EXPECT_NE(0, TchGetPackedOID(unnamed.h, &packed));

  // Set request out of the library, read by the agent's side.
  ASSERT_EQ(0, QmpSetStringA(v.h, "8.20"));
  void* package = nullptr;
  INT32 package_size = 0;
  ASSERT_EQ(0, TchCreatePolicySetPackage(v.h, &package, &package_size));
  PolicyValue value;
  ASSERT_EQ(kOk, UnpackPackage(PackageKind::kSetRequest, package, package_size, &oid, &value));
  EXPECT_EQ(kVersionOid, oid);
  EXPECT_TRUE(PolicyValue::Text("8.20") == value);
  EXPECT_EQ(0, TchFreeMemory(package));

  // Get reply from the agent's side, unpacked into a table variable.
  PolicyValue table = PolicyValue::Table({7, 3});
  table.InsertRow(-1);
  table.rows[0][0].number = 42;
  table.rows[0][1].text = "x\ty";
  std::string reply = PackPackage(PackageKind::kGetReply, kTableOid, table);
  Var t(kTableOid, true);
  ASSERT_EQ(0, TchUnpackPolicyGetPackage(t.h, reply.data(), static_cast<INT32>(reply.size())));
  EXPECT_EQ("x\ty", ReadCell(t.h, 0, 1));
  EXPECT_NE(0, TchUnpackPolicyGetPackage(t.h, reply.data(), 5));
  EXPECT_NE(0, TchUnpackPolicyGetPackage(t.h, nullptr, 0));
}

TEST_F(TvpmapiTest, FaultSwitchesChangeWhatTheChannelAnswers) {
  FaultSwitches f;
  f.channel_refused = true;
  ASSERT_EQ(kOk, SaveFaults(f));
  {
    Channel refused;
    EXPECT_NE(0, refused.r);
    EXPECT_EQ(nullptr, refused.c);
  }
  f.channel_refused = false;
  f.probe_exists = true;
  f.oid_errors[kVersionOid] = -1234;
  ASSERT_EQ(kOk, SaveFaults(f));
  Channel ch;
  ASSERT_EQ(0, ch.r);
  Var probe(kProbe, false);
  EXPECT_EQ(0, TchGetPolicy(ch.c, probe.h));
  Var v(kVersionOid, false);
  EXPECT_EQ(-1234, TchGetPolicy(ch.c, v.h));
  QmpSetStringA(v.h, "1");
  EXPECT_EQ(-1234, TchSetPolicy(ch.c, v.h, 0));
  ASSERT_EQ(kOk, SaveFaults(FaultSwitches()));
  EXPECT_EQ(-508, TchGetPolicy(ch.c, probe.h));
  EXPECT_EQ(-508, TchGetPolicy(ch.c, v.h));
}

TEST_F(TvpmapiTest, IdentityIsPendingUntilTheAgentGeneratesIt) {
  INT32 method = -1, operation = -1;
  char buffer[256];
  INT32 size = 255;
  EXPECT_NE(0, QmpGetUIDA(0, buffer, &size));  // none generated yet
  const struct {
    INT32 method;
    size_t min_length;
    char first;
  } kCases[] = {{1, 38, '{'}, {2, 1, 0}, {3, 17, 0}, {0, 38, '{'}};
  for (const auto& c : kCases) {
    EXPECT_EQ(0, QmUIDSetMethod(c.method));
    ASSERT_EQ(0, QmUIDGetMethod(&method));
    EXPECT_EQ(c.method, method);
    ASSERT_EQ(0, QmpCreateUID(1));
    ASSERT_EQ(0, QmpGetUIDOperation(&operation));
    EXPECT_EQ(1, operation);
    bool generated = false;
    ASSERT_EQ(kOk, CompletePendingIdentity(&generated));  // the agent's start
    EXPECT_TRUE(generated);
    ASSERT_EQ(0, QmpGetUIDOperation(&operation));
    EXPECT_EQ(0, operation);
    size = 255;
    ASSERT_EQ(0, QmpGetUIDA(0, buffer, &size)) << c.method;
    EXPECT_EQ(std::strlen(buffer), static_cast<size_t>(size));
    EXPECT_GE(std::strlen(buffer), c.min_length) << buffer;
    if (c.first) {
      EXPECT_EQ(c.first, buffer[0]) << buffer;
    }
  }
  size = 4;
  EXPECT_NE(0, QmpGetUIDA(0, buffer, &size));
  EXPECT_NE(0, QmpCreateUID(2));
}

// Rewriting a 10,000-row installed-hotfix table as the installer does stays
// linear: remove row 0 per row, append with -1, write, read back.
TEST_F(TvpmapiTest, LargeTableRewriteStaysFast) {
  const char kOid[] = "1.3.6.1.4.1.5839.11.2.9.10";
  ASSERT_EQ(kOk, UpdateStore([&](StoreImage& image) {
              image.entries[kOid] = PolicyValue::Table({7, 3, 3, 7, 3, 3, 7});
              return kOk;
            }));
  auto start = std::chrono::steady_clock::now();
  Channel ch;
  for (int pass = 0; pass < 2; ++pass) {
    Var t(kOid, true);
    ASSERT_EQ(0, TchGetPolicy(ch.c, t.h));
    INT32 rows = 0, columns = 0;
    ASSERT_EQ(0, QmpGetTableDimensions(t.h, &rows, &columns));
    EXPECT_EQ(pass == 0 ? 0 : 10000, rows);
    for (INT32 r = 0; r < rows; ++r) ASSERT_EQ(0, QmpRemoveRow(t.h, 0));
    for (INT32 r = 0; r < 10000; ++r) {
      ASSERT_EQ(0, QmpInsertRow(t.h, -1));
      QmpSetCellInt(t.h, r, 0, r);
      QmpSetCellStringA(t.h, r, 1, ("HF-" + std::to_string(r)).c_str());
      QmpSetCellStringA(t.h, r, 2, "a description of the hotfix");
    }
    ASSERT_EQ(0, TchSetPolicy(ch.c, t.h, 0));
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 20.0);
}

// Two processes writing the store at once lose nothing: each child (this
// program, filtered to the writer case) writes its own variables.
TEST_F(TvpmapiTest, TwoProcessesWritingAtOnceLoseNothing) {
  const int kWrites = 40;
  std::string exe = hxtest::BinDir() + "tvpmapi_contract_test.exe";
  hx::ScopedKernelHandle children[2];
  for (int i = 0; i < 2; ++i) {
    PROCESS_INFORMATION pi = {};
    SetEnvironmentVariableA("TVSIM_WRITER", std::to_string(i + 1).c_str());
    std::string cmd = "\"" + exe + "\" --gtest_filter=TvpmapiWriterChild.*";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(pi.hThread);
    children[i].Reset(pi.hProcess);
  }
  SetEnvironmentVariableA("TVSIM_WRITER", nullptr);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(children[i].Get(), 120000));
    DWORD code = 1;
    GetExitCodeProcess(children[i].Get(), &code);
    EXPECT_EQ(0u, code);
  }
  StoreImage image;
  ASSERT_EQ(kOk, LoadStore(&image));
  for (int w = 1; w <= 2; ++w)
    for (int i = 0; i < kWrites; ++i) {
      std::string oid = "1.3.6.1.4.1.5839.99." + std::to_string(w) + "." + std::to_string(i);
      ASSERT_EQ(1u, image.entries.count(oid)) << oid;
      EXPECT_EQ(i, image.entries[oid].scalar.number);
    }
}

TEST(TvpmapiWriterChild, WritesItsVariables) {
  char tag[8] = {};
  if (!GetEnvironmentVariableA("TVSIM_WRITER", tag, sizeof tag)) GTEST_SKIP();
  Channel ch;
  ASSERT_EQ(0, ch.r);
  for (int i = 0; i < 40; ++i) {
    std::string oid = std::string("1.3.6.1.4.1.5839.99.") + tag + "." + std::to_string(i);
    Var v(oid.c_str(), false);
    ASSERT_EQ(0, QmpSetInt(v.h, i));
    ASSERT_EQ(0, TchSetPolicy(ch.c, v.h, 0));
  }
}

}  // namespace
