// bench_hotfix_table ROWS RUNS LOG: the installer's AddInstalledHotFixEntryToPolicy
// (log on) against a bare read and write of the same two tables through the
// same policy library, with ROWS rows already in each table. Runs in the
// prefix of an installed simulated product, through the policy channel.
//
// The bare read and write reads every cell of every row of both tables into
// flat arrays and writes them back whole (rows emptied, then appended), as
// little as any code can do to rewrite a table through the library: no lists,
// no log, no search.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hotfix_installer.h"
#include "installed_hotfix_data.h"
#include "policy_adapter_wrapper.h"
#include "policy_api.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

namespace {

const char kProductOid[] = "1.3.6.1.4.1.5839.11";
const char kProductTable[] = "1.3.6.1.4.1.5839.11" HX_PRODUCT_HOTFIX_TABLE_SUFFIX;

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

struct ProductRow {
  char id[32], description[256], version[8], build[12];
  INT32 released, installed;
};
struct AgentRow {
  char id[32], name[256];
  union {
    QMP_VALUE_RECORD record;
    BYTE bytes[256];
  } oid;
  INT32 installed, result;
};

bool Open(PolicyAdapterWrapper& wrapper, const char* oid, ScopedPolicyVar& table, INT32* rows) {
  INT32 columns = 0;
  return Api().createPolicyTable(table.Slot()) == 0 && wrapper.GetPolicy(table.Slot(), oid) == 0 &&
         Api().getTableDimensions(table.Get(), rows, &columns) == 0;
}

bool Empty(QMP_HANDLE t, INT32 rows) {
  for (INT32 r = rows - 1; r >= 0; --r)
    if (Api().removeRow(t, r) != 0) return false;
  return true;
}

bool BareProduct(PolicyAdapterWrapper& wrapper) {
  ScopedPolicyVar table;
  INT32 rows = 0;
  if (!Open(wrapper, kProductTable, table, &rows)) return false;
  QMP_HANDLE t = table.Get();
  std::vector<ProductRow> data(rows);
  for (INT32 r = 0; r < rows; ++r) {
    ProductRow& d = data[r];
    if (Api().getCellStringA(t, r, 1, d.id, sizeof d.id) ||
        Api().getCellStringA(t, r, 2, d.description, sizeof d.description) ||
        Api().getCellInt(t, r, 3, &d.released) ||
        Api().getCellStringA(t, r, 4, d.version, sizeof d.version) ||
        Api().getCellStringA(t, r, 5, d.build, sizeof d.build) ||
        Api().getCellInt(t, r, 6, &d.installed))
      return false;
  }
  if (!Empty(t, rows)) return false;
  for (INT32 r = 0; r < rows; ++r) {
    const ProductRow& d = data[r];
    if (Api().insertRow(t, -1) || Api().setCellInt(t, r, 0, r) ||
        Api().setCellStringA(t, r, 1, d.id) || Api().setCellStringA(t, r, 2, d.description) ||
        Api().setCellInt(t, r, 3, d.released) || Api().setCellStringA(t, r, 4, d.version) ||
        Api().setCellStringA(t, r, 5, d.build) || Api().setCellInt(t, r, 6, d.installed))
      return false;
  }
  return wrapper.SetPolicy(t) == 0;
}

bool BareAgent(PolicyAdapterWrapper& wrapper) {
  ScopedPolicyVar table;
  INT32 rows = 0;
  if (!Open(wrapper, HX_AGENT_HOTFIX_TABLE_OID, table, &rows)) return false;
  QMP_HANDLE t = table.Get();
  std::vector<AgentRow> data(rows);
  for (INT32 r = 0; r < rows; ++r) {
    AgentRow& d = data[r];
    d.oid.record.type = QMP_TYPE_VALUE_RECORD;
    d.oid.record.length = 0;
    if (Api().getCellStringA(t, r, 1, d.id, sizeof d.id) ||
        Api().getCellValue(t, r, 2, &d.oid.record, sizeof d.oid) ||
        Api().getCellStringA(t, r, 3, d.name, sizeof d.name) ||
        Api().getCellInt(t, r, 4, &d.installed) || Api().getCellInt(t, r, 5, &d.result))
      return false;
  }
  if (!Empty(t, rows)) return false;
  for (INT32 r = 0; r < rows; ++r) {
    const AgentRow& d = data[r];
    if (Api().insertRow(t, -1) || Api().setCellInt(t, r, 0, r) ||
        Api().setCellStringA(t, r, 1, d.id) || Api().setCellValue(t, r, 2, &d.oid.record) ||
        Api().setCellStringA(t, r, 3, d.name) || Api().setCellInt(t, r, 4, d.installed) ||
        Api().setCellInt(t, r, 5, d.result))
      return false;
  }
  return wrapper.SetPolicy(t) == 0;
}

bool Seed(PolicyAdapterWrapper& wrapper, int rows) {
  InstalledHotfixData data;
  data.SetProductOid(kProductOid);
  for (int i = 0; i < rows; ++i) {
    ProductHotfixEntry p;
    memset(&p, 0, sizeof p);
    snprintf(p.id, sizeof p.id, "HF-SEED-%05d", i);
    snprintf(p.description, sizeof p.description, "Seeded hotfix number %d for the benchmark", i);
    p.releaseDate = 1500000000 + i;
    snprintf(p.productVersion, sizeof p.productVersion, "8.00");
    snprintf(p.productBuild, sizeof p.productBuild, "1234");
    p.installationTime = 1600000000 + i;
    AgentHotfixEntry a;
    memset(&a, 0, sizeof a);
    snprintf(a.id, sizeof a.id, "HF-SEED-%05d", i);
    snprintf(a.productOid, sizeof a.productOid, "%s", kProductOid);
    snprintf(a.productName, sizeof a.productName, "Tarnvale Client");
    a.installationTime = 1600000000 + i;
    if (!data.productEntries.Append(p) || !data.agentEntries.Append(a)) return false;
  }
  return data.WriteToPolicy(wrapper);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: bench_hotfix_table ROWS RUNS LOG\n");
    return 2;
  }
  int rows = atoi(argv[1]);
  int runs = atoi(argv[2]);
  InitializeProductLibraries();
  HotfixInstaller installer;
  PackageDescription& p = installer.package;
  snprintf(p.id, sizeof p.id, "HF-BENCH-NEW");
  snprintf(p.descriptionEng, sizeof p.descriptionEng, "Benchmark hotfix");
  snprintf(p.releaseDate, sizeof p.releaseDate, "2024-06-01");
  snprintf(p.log, sizeof p.log, "%s", argv[3]);
  snprintf(p.product.productOid, sizeof p.product.productOid, "%s", kProductOid);
  snprintf(p.product.productName, sizeof p.product.productName, "Tarnvale Client");
  snprintf(installer.installedVersion, sizeof installer.installedVersion, "8.00");
  snprintf(installer.installedBuild, sizeof installer.installedBuild, "1234");
  if (!installer.ConnectPolicy()) {
    fprintf(stderr, "cannot connect the policy\n");
    return 1;
  }
  double t0 = NowMs();
  if (!Seed(*installer.policyWrapper, rows)) {
    fprintf(stderr, "cannot seed the tables\n");
    return 1;
  }
  printf("  seeded %d rows in each table in %.0f ms\n", rows, NowMs() - t0);
  std::vector<double> bare, add;
  for (int i = 0; i < runs; ++i) {
    t0 = NowMs();
    bool ok = BareProduct(*installer.policyWrapper) && BareAgent(*installer.policyWrapper);
    bare.push_back(NowMs() - t0);
    t0 = NowMs();
    bool added = installer.AddInstalledHotFixEntryToPolicy();
    add.push_back(NowMs() - t0);
    printf("  run %d: bare read and write %6.0f ms%s, AddInstalledHotFixEntryToPolicy %6.0f ms%s\n",
           i + 1, bare.back(), ok ? "" : " (failed)", add.back(), added ? "" : " (failed)");
  }
  double b = Median(bare), a = Median(add);
  printf("medians of %d runs:\n  bare read and write            %6.0f ms\n"
         "  AddInstalledHotFixEntryToPolicy %6.0f ms  %.2f x bare\n",
         runs, b, a, a / b);
  fflush(stdout);
  return 0;
}
