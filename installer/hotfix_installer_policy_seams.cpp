// The installer's policy and product steps: platform detection, the policy
// connection, the product check, the installed-hotfix record and the custom
// policy operations, plus the guarded start-up calls into the product's
// lazily bound libraries.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "agent_service.h"
#include "custom_policy_operations.h"
#include "delay_load.h"
#include "hotfix_installer.h"
#include "hotfix_time.h"
#include "installed_hotfix_data.h"
#include "platform_detect.h"
#include "policy_adapter_wrapper.h"
#include "policy_api.h"
#include "product_check.h"
#include "tch_policy_adapter.h"
#include "tvisu.h"
#include "tvma_policy_adapter.h"

namespace {

// Exact text to the installer log, as HotfixInstaller::Print writes it.
void PrintToInstallerLog(const char* format, ...) {
  HotfixInstaller* installer = HotfixInstaller::Current();
  if (!installer) return;
  va_list args;
  va_start(args, format);
  installer->log.PrintV(format, args);
  va_end(args);
}

void InitializePolicyLibrary() { QmpInitLibrary(nullptr); }
void InitializeInstallSupportLibrary() { TVISU_DelayLoadInitialize(); }

// Set at start-up when tvisu.dll could not be found: platform detection then
// does without it instead of raising the delay-load failure.
bool gInstallSupportMissing = false;

}  // namespace

void HotfixInstaller::DetectPlatform() {
  PlatformInfo info;
  ::DetectPlatform(gInstallSupportMissing ? FallbackPlatformCalls() : ProductPlatformCalls(),
                   &info);
  platformCode = info.code;
  lstrcpynA(platformName, info.name, sizeof(platformName));
  servicePack = info.servicePack;
  Print("Current platform: '%s' SP%u\n", platformName, static_cast<unsigned>(servicePack));
}

bool HotfixInstaller::ConnectPolicy() {
  if (!policyWrapper) policyWrapper = new PolicyAdapterWrapper();
  LogSinkV callback = log.EnsureOpen() ? InstallerLogSinkV : nullptr;
  if (AgentServiceRuns())
    return policyWrapper->Initialize<TVMAPolicyAdapter, TCHPolicyAdapter>(callback);
  return policyWrapper->Initialize<TCHPolicyAdapter, TVMAPolicyAdapter>(callback);
}

void HotfixInstaller::CheckProduct() {
  ProductCheckInput input;
  input.platformName = platformName;
  input.servicePack = servicePack;
  input.product = &package.product;
  input.productRootKey = productRootKey;
  input.wrapper = policyWrapper;
  input.log = PrintToInstallerLog;
  ProductCheckResult result;
  ::CheckProduct(input, &result);
  if (!result.platformSupported) exitCode = 0;
  productInstalled = result.productInstalled;
  withinRange = result.withinRange;
  lstrcpynA(installedVersion, result.installedVersion, sizeof(installedVersion));
  lstrcpynA(installedBuild, result.installedBuild, sizeof(installedBuild));
  lstrcpynA(installedFullVersion, result.installedFullVersion, sizeof(installedFullVersion));
  lstrcpynA(productLanguage, result.productLanguage, sizeof(productLanguage));
}

bool HotfixInstaller::ReleasePolicy() {
  return policyWrapper ? policyWrapper->Uninitialize() : true;
}

void HotfixInstaller::DestroyPolicyWrapper() {
  delete policyWrapper;
  policyWrapper = nullptr;
}

bool HotfixInstaller::AddInstalledHotFixEntryToPolicy() {
  LogSink print = log.IsOpen() ? InstallerLogSink : nullptr;
  InstalledHotfixData data;
  bool ok = false;
  const char* productOid = package.product.productOid;
  bool oidFits = data.SetProductOid(productOid);
  if (!oidFits || !policyWrapper || !data.ReadFromPolicy(*policyWrapper)) {
    if (print)
      print(
          "Failed to read hotfixes data for product %s from policy:\n  Product policy read: "
          "error=%d, policy error=%d\n  TVMA policy read: error=%d, policy error=%d\n",
          productOid, data.productPart.errorKind, static_cast<int>(data.productPart.policyError),
          data.agentPart.errorKind, static_cast<int>(data.agentPart.policyError));
    data.Clear();
    return false;
  }
  if (print) {
    print("Installed hotfixes data for product %s successfully read from policy:\n", productOid);
    data.PrintEntries(print);
  }

  int64_t now = static_cast<int64_t>(_time64(nullptr));
  ProductHotfixEntry product;
  memset(&product, 0, sizeof(product));
  lstrcpynA(product.id, package.id, sizeof(product.id));
  lstrcpynA(product.description,
            package.descriptionLocalized[0] != '\0' ? package.descriptionLocalized
                                                    : package.descriptionEng,
            sizeof(product.description));
  product.releaseDate = ParseReleaseDate(package.releaseDate);
  lstrcpynA(product.productVersion, installedVersion, sizeof(product.productVersion));
  lstrcpynA(product.productBuild, installedBuild, 12);
  product.installationTime = now;

  AgentHotfixEntry agent;
  memset(&agent, 0, sizeof(agent));
  lstrcpynA(agent.id, package.id, sizeof(agent.id));
  lstrcpynA(agent.productOid, productOid, sizeof(agent.productOid));
  lstrcpynA(agent.productName, package.product.productName, sizeof(agent.productName));
  agent.installationTime = now;
  agent.result = 0;

  if (print) {
    print("Adding new hotfix entries to policy (1st row for product, 2nd for TVMA):\n");
    InstalledHotfixData::PrintProductEntry(print, product);
    InstalledHotfixData::PrintAgentEntry(print, agent);
  }

  if (!data.productEntries.Put(product) || !data.agentEntries.Put(agent)) {
    if (print) print("AddInstalledHotFixEntryToPolicy: Not enough memory\n");
  } else if (data.WriteToPolicy(*policyWrapper)) {
    if (print) print("New hotfix entries successfully written to policy.\n");
    ok = true;
  } else if (print) {
    print(
        "Failed to write hotfixes data to policy:\n  Product policy write: error=%d, policy "
        "error=%d\n  TVMA policy write: error=%d, policy error=%d\n",
        data.productPart.errorKind, static_cast<int>(data.productPart.policyError),
        data.agentPart.errorKind, static_cast<int>(data.agentPart.policyError));
  }
  data.Clear();
  return ok;
}

int HotfixInstaller::SetCustomPolicyValue(const char* oid, const char* text) {
  if (!policyWrapper) return kPolicyNotConnected;
  return SetPolicyValue(*policyWrapper, oid, text);
}

int HotfixInstaller::SetCustomPolicyTableValue(const char* oid, int row, int column,
                                               const char* text) {
  if (!policyWrapper) return kPolicyNotConnected;
  return SetPolicyTableValue(*policyWrapper, oid, row, column, text);
}

int HotfixInstaller::ClearCustomPolicyTable(const char* oid) {
  if (!policyWrapper) return kPolicyNotConnected;
  return ClearPolicyTable(*policyWrapper, oid);
}

int InitializeProductLibraries() {
  int missing = 0;
  GuardedCallRecord policyRecord = {};
  if (GuardedCall(InitializePolicyLibrary, &policyRecord) == 1) {
    ++missing;
    // Without the library every policy call would raise the delay-load
    // failure; failing calls let the run go on to its exit information.
    hx::policy::UseApi(&hx::policy::UnavailablePolicyApi());
  }
  GuardedCallRecord installSupportRecord = {};
  if (GuardedCall(InitializeInstallSupportLibrary, &installSupportRecord) == 1) {
    ++missing;
    gInstallSupportMissing = true;
    // The file copy and the custom registry entries would raise the
    // delay-load failure at their first call.
    if (HotfixInstaller* installer = HotfixInstaller::Current())
      installer->installSupport = UnavailableInstallSupport();
  }
  return missing;
}
