// Installing the simulated product into the prefix and removing it again.
//
// install lays out:
//   HKLM\Software\Quillmoor\Tarnvale        InstallationRootDirectory = root
//     \<product key>                        CurrentVersion, CurrentVersionEx,
//                                           InstallationDirectory
//     \TVSetup                              (empty; the installer writes into it)
//     \delay loading                        <library file name> = full path
//   root\Common\                            the product's libraries
//   root\<product key>\                     the product's directory
// and seeds the policy store with the product's version, build, language,
// an empty installed-hotfix table, the agent's table, a few rows of the
// table 1.3.6.1.4.1.5839.11.4.14.10 and a host identity.
#include <windows.h>

#include <cstdio>

#include "command.h"
#include "identity.h"
#include "installer/product_keys.h"
#include "policy_codes.h"
#include "product_keys.h"
#include "registry_util.h"
#include "store_file.h"

namespace tvsim_setup {

namespace {

using namespace tvsim;

const char kRootKey[] = HX_PRODUCT_ROOT_KEY;
const char kDefaultRoot[] = "C:\\Program Files\\Quillmoor\\Tarnvale\\";
const char kDefaultOid[] = "1.3.6.1.4.1.5839.11";
const char kAgentTableOid[] = "1.3.6.1.4.1.5839.11.2.27.1";
const char kIdentityTableOid[] = "1.3.6.1.4.1.5839.11.4.14.10";

// The product's libraries, copied from beside this tool into the common
// directory when present there. Those marked are also listed under
// "delay loading".
struct Library {
  const char* file;
  bool delay_loaded;
};
const Library kLibraries[] = {
    {"TVPMAPI.dll", true}, {"tvisu.dll", true},    {"tvma32.dll", false},
    {"tvma32s.dll", true}, {"TVMA_64.DLL", false},
};

std::string ToolDir() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n < MAX_PATH ? n : 0);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool ProductFromArgs(const Args& a, ProductInfo* p) {
  p->oid = a.Get("oid", kDefaultOid);
  if (!IsValidOid(p->oid)) return false;
  const char* key = ProductKeyName(p->oid);
  p->key_name = a.Get("key", key ? key : "");
  p->version = a.Get("version", "8.00");
  p->build = a.Get("build", "1234");
  p->language = a.Get("language", "ENU");
  return true;
}

bool InstallProductRegistry(const InstallContext& c, const ProductInfo& p) {
  if (p.key_name.empty()) return true;  // an OID without a key lives in the policy only
  std::string key = std::string(kRootKey) + "\\" + p.key_name;
  std::string dir = c.root + p.key_name + "\\";
  std::string ex = p.build.empty() ? p.version : p.version + "." + p.build;
  return CreateFolderPath(dir) && SetMachineText(key, HX_PRODUCT_VERSION_VALUE, p.version) &&
         SetMachineText(key, HX_PRODUCT_VERSION_EX_VALUE, ex) &&
         SetMachineText(key, "InstallationDirectory", dir);
}

void SeedProductPolicy(StoreImage& image, const ProductInfo& p, bool with_version) {
  if (with_version) {
    image.entries[p.oid + ".2.1"] = PolicyValue::Text(p.version);
    if (!p.build.empty()) image.entries[p.oid + ".2.7"] = PolicyValue::Text(p.build);
  }
  image.entries[p.oid + ".1.2"] = PolicyValue::Text(p.language);
  if (!image.entries.count(p.oid + ".2.9.10"))
    image.entries[p.oid + ".2.9.10"] = PolicyValue::Table({7, 3, 3, 7, 3, 3, 7});
}

void SeedCommonPolicy(StoreImage& image) {
  if (!image.entries.count(kAgentTableOid))
    image.entries[kAgentTableOid] = PolicyValue::Table({7, 3, 2, 3, 7, 7});
  if (!image.entries.count(kIdentityTableOid)) {
    PolicyValue t = PolicyValue::Table({7, 3, 3, 3});
    const char* names[] = {"server-a", "server-b", "server-c"};
    for (int r = 0; r < 3; ++r) {
      t.InsertRow(-1);
      t.rows.back()[0].number = r;
      t.rows.back()[1].text = names[r];
      t.rows.back()[2].text = "cf-" + std::to_string(1000 + r);
      t.rows.back()[3].text = "seeded";
    }
    image.entries[kIdentityTableOid] = t;
  }
}

int AddProductTo(const InstallContext& c, const ProductInfo& p, bool with_version) {
  if (!InstallProductRegistry(c, p)) {
    Fail("cannot write the registry of product %s", p.oid.c_str());
    return kExitFailed;
  }
  int32_t r = UpdateStore([&](StoreImage& image) {
    SeedProductPolicy(image, p, with_version);
    SeedCommonPolicy(image);
    return kOk;
  });
  if (r != kOk) {
    Fail("cannot seed the policy store: error %d", r);
    return kExitFailed;
  }
  return kExitOk;
}

// The context of an installed product, from the registry.
bool InstalledContext(InstallContext* c) {
  std::string root;
  if (!GetMachineText(kRootKey, "InstallationRootDirectory", &root)) return false;
  c->root = WithBackslash(root);
  c->common_dir = c->root + "Common\\";
  c->tool_dir = ToolDir();
  return true;
}

int Install(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  InstallContext c;
  c.root = WithBackslash(a.Get("root", kDefaultRoot));
  c.common_dir = c.root + "Common\\";
  c.tool_dir = ToolDir();
  ProductInfo p;
  if (!ProductFromArgs(a, &p)) return kExitUsage;
  c.products.push_back(p);

  if (!CreateFolderPath(c.common_dir)) {
    Fail("cannot create %s", c.common_dir.c_str());
    return kExitFailed;
  }
  for (const Library& lib : kLibraries) {
    std::string from = c.tool_dir + lib.file;
    if (!FileExistsAt(from)) continue;
    std::string to = c.common_dir + lib.file;
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
      Fail("cannot copy %s to %s (error %lu)", from.c_str(), to.c_str(), GetLastError());
      return kExitFailed;
    }
    if (lib.delay_loaded && !SetMachineText(std::string(kRootKey) + "\\delay loading", lib.file, to)) {
      Fail("cannot write the delay loading key");
      return kExitFailed;
    }
  }
  if (!SetMachineText(kRootKey, "InstallationRootDirectory", c.root) ||
      !SetMachineText(std::string(kRootKey) + "\\TVSetup", "", "")) {
    Fail("cannot write the product's root key");
    return kExitFailed;
  }
  int rc = AddProductTo(c, p, !a.Has("no-policy-version"));
  if (rc != kExitOk) return rc;

  StoreImage image;
  if (LoadStore(&image) == kOk && image.identity.value.empty() && GenerateIdentityNow() != kOk) {
    Fail("cannot generate the host identity");
    return kExitFailed;
  }
  for (const CommandFamily* f : AllFamilies()) {
    if (f->after_install && f->after_install(c) != 0) {
      Fail("install step of %s failed", f->name);
      return kExitFailed;
    }
  }
  std::printf("installed %s %s.%s (%s) in %s\n", p.oid.c_str(), p.version.c_str(),
              p.build.c_str(), p.language.c_str(), c.root.c_str());
  return kExitOk;
}

int AddProduct(const Args& a) {
  InstallContext c;
  ProductInfo p;
  if (a.count() != 0 || !ProductFromArgs(a, &p)) return kExitUsage;
  if (!InstalledContext(&c)) {
    Fail("the product is not installed");
    return kExitFailed;
  }
  return AddProductTo(c, p, !a.Has("no-policy-version"));
}

int Uninstall(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  InstallContext c;
  bool installed = InstalledContext(&c);
  if (installed) {
    for (const CommandFamily* f : AllFamilies())
      if (f->before_uninstall) f->before_uninstall(c);
  }
  bool ok = DeleteMachineTree(kRootKey);
  if (!ok) Fail("cannot delete HKLM\\%s", kRootKey);
  // Parent key, when nothing else of the vendor is left.
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quillmoor", KEY_WOW64_64KEY, 0);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quillmoor", KEY_WOW64_32KEY, 0);
  if (installed && !DeleteFolderTree(c.root)) {
    Fail("cannot delete %s", c.root.c_str());
    ok = false;
  }
  if (installed) {
    std::string parent = c.root.substr(0, c.root.size() - 1);
    size_t slash = parent.find_last_of('\\');
    if (slash != std::string::npos) RemoveDirectoryA(parent.substr(0, slash).c_str());
  }
  if (RemoveStore() != kOk) {
    Fail("cannot delete the policy store");
    ok = false;
  }
  // The store's default parents, when empty. A store placed elsewhere (a
  // test's scratch folder below Temp) keeps its parents: removing an empty
  // Temp folder would break every later user of it.
  std::wstring dir = StoreDirectory();
  for (int i = 0; i < 3 && GetEnvironmentVariableW(L"TVSIM_STORE_DIR", nullptr, 0) == 0; ++i) {
    dir.pop_back();
    dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
    std::wstring folder = dir.substr(0, dir.size() - 1);
    if (folder.size() <= 3) break;
    RemoveDirectoryW(folder.c_str());
  }
  return ok ? kExitOk : kExitFailed;
}

int Status(const Args& a) {
  if (a.count() != 0) return kExitUsage;
  InstallContext c;
  if (!InstalledContext(&c)) {
    std::printf("not installed\n");
    return kExitNotFound;
  }
  std::printf("installed in %s\n", c.root.c_str());
  return kExitOk;
}

const Command kCommands[] = {
    {"install",
     "[--root DIR] [--oid OID] [--version V] [--build B] [--language L] [--key NAME] "
     "[--no-policy-version]",
     "install the product (defaults: C:\\Program Files\\Quillmoor\\Tarnvale\\, "
     "1.3.6.1.4.1.5839.11, 8.00, 1234, ENU; --build \"\" for none)",
     Install},
    {"add-product",
     "[--oid OID] [--version V] [--build B] [--language L] [--key NAME] [--no-policy-version]",
     "add one more product to the installed one", AddProduct},
    {"uninstall", "", "remove the product: registry keys, folders and policy store", Uninstall},
    {"status", "", "print whether the product is installed (exit 3 when not)", Status},
};

}  // namespace

const CommandFamily& ProductCommands() {
  static const CommandFamily family = {"product", kCommands,
                                       sizeof kCommands / sizeof kCommands[0], nullptr, nullptr};
  return family;
}

}  // namespace tvsim_setup
