#include "product_check.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform.h"
#include "policy_api.h"
#include "product_keys.h"
#include "shared/scoped_handle.h"
#include "version_text.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

namespace {

void Log(const ProductCheckInput& input, const char* format, ...) {
  // The sink takes the arguments as given; forward through a small buffer.
  if (!input.log) return;
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  input.log("%s", text);
}

// A registry string value into out; false (out empty) when it is missing,
// unreadable or does not fit with its terminator.
bool ReadRegistryText(HKEY key, const char* name, char* out, size_t size) {
  out[0] = '\0';
  DWORD bytes = static_cast<DWORD>(size);
  LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out), &bytes);
  if (rc != ERROR_SUCCESS) {
    out[0] = '\0';
    SetLastError(static_cast<DWORD>(rc));
    return false;
  }
  if (bytes == 0) return true;
  if (memchr(out, '\0', bytes) == nullptr) {
    // Exactly filled without a terminator: the text is longer than the field.
    if (bytes >= size) {
      out[0] = '\0';
      SetLastError(ERROR_MORE_DATA);
      return false;
    }
    out[bytes] = '\0';
  }
  return true;
}

bool OpenProductKey(const ProductCheckInput& input, const char* name, hx::ScopedRegKey& key,
                    char* path, size_t pathSize) {
  snprintf(path, pathSize, "%s\\%s", input.productRootKey, name);
  HKEY raw = nullptr;
  LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &raw);
  if (rc != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(rc));
    return false;
  }
  key.Reset(raw);
  return true;
}

std::string WithSuffix(const char* oid, const char* suffix) {
  std::string s(oid ? oid : "");
  s += suffix;
  return s;
}

// The build from the registry: the text after the second point of
// CurrentVersionEx, cut to 7 characters. Silent on failure.
void ReadRegistryBuild(const ProductCheckInput& input, char* out, size_t size) {
  const char* name = ProductKeyNameForOid(input.product->productOid);
  if (!name) return;
  char path[400];
  hx::ScopedRegKey key;
  if (!OpenProductKey(input, name, key, path, sizeof(path))) return;
  char versionEx[16];
  if (!ReadRegistryText(key.Get(), HX_PRODUCT_VERSION_EX_VALUE, versionEx, sizeof(versionEx)))
    return;
  const char* first = strchr(versionEx, '.');
  const char* second = first ? strchr(first + 1, '.') : nullptr;
  if (!second) return;
  snprintf(out, size, "%.7s", second + 1);
}

}  // namespace

size_t ReadPolicyText(IPolicyAdapter* wrapper, const char* oid, char* out, size_t size) {
  if (size == 0) return 0;
  out[0] = '\0';
  if (!wrapper) return 0;
  ScopedPolicyVar variable;
  if (Api().createPolicyVar(variable.Slot()) != 0) return 0;
  if (wrapper->GetPolicy(variable.Slot(), oid) == 0) {
    if (Api().getStringA(variable.Get(), out, static_cast<INT32>(size)) != 0) out[0] = '\0';
    out[size - 1] = '\0';
  }
  return strlen(out);
}

size_t ReadInstalledVersion(const ProductCheckInput& input, char* out, size_t size) {
  out[0] = '\0';
  const char* oid = input.product->productOid;
  ReadPolicyText(input.wrapper, WithSuffix(oid, ".2.1").c_str(), out, size);
  Log(input, "Currently installed product %s version read from policy: \"%s\"\n", oid, out);
  if (out[0] != '\0') return strlen(out);

  const char* name = input.product->productRegKey[0] != '\0' ? input.product->productRegKey
                                                              : ProductKeyNameForOid(oid);
  Log(input, "Obtaining the installed product version from registry key: \"%s\"\n",
      name ? name : "NULL");
  if (name) {
    char path[400];
    hx::ScopedRegKey key;
    if (!OpenProductKey(input, name, key, path, sizeof(path))) {
      Log(input, "Error %d opening registry key \"%s\"\n", static_cast<int>(GetLastError()), path);
    } else {
      Log(input, "Registry key \"%s\" opened successfully\n", path);
      if (!ReadRegistryText(key.Get(), HX_PRODUCT_VERSION_VALUE, out, size)) {
        Log(input, "Error %d reading registry value \"%s\"\n", static_cast<int>(GetLastError()),
            HX_PRODUCT_VERSION_VALUE);
      } else {
        Log(input, "Registry value \"%s\" read successfully\n", HX_PRODUCT_VERSION_VALUE);
      }
    }
  }
  Log(input, "Currently installed product %s version read from registry: \"%s\"\n", oid, out);
  return strlen(out);
}

void CheckProduct(const ProductCheckInput& input, ProductCheckResult* r) {
  memset(r, 0, sizeof(*r));
  const ProductRequirement& product = *input.product;
  r->platformSupported =
      PlatformSupported(input.platformName, input.servicePack, product.productPlatforms);
  if (!r->platformSupported) {
    Log(input, "This hotfix does not support current platform.\n");
    return;
  }
  if (ReadInstalledVersion(input, r->installedVersion, sizeof(r->installedVersion)) == 0) {
    Log(input,
        "Product version variable \"%s \" unavailable in policy, assuming product not "
        "installed.\n",
        product.productOid);
    return;
  }
  r->productInstalled = true;
  ReadPolicyText(input.wrapper, WithSuffix(product.productOid, ".2.7").c_str(),
                 r->installedBuild, sizeof(r->installedBuild));
  if (r->installedBuild[0] == '\0')
    ReadRegistryBuild(input, r->installedBuild, sizeof(r->installedBuild));
  if (r->installedBuild[0] != '\0')
    snprintf(r->installedFullVersion, sizeof(r->installedFullVersion), "%s.%s",
             r->installedVersion, r->installedBuild);
  else
    snprintf(r->installedFullVersion, sizeof(r->installedFullVersion), "%s", r->installedVersion);

  bool haveBuild = r->installedBuild[0] != '\0';
  const char* lowerProduct = r->installedVersion;
  const char* lowerHotfix = product.verMin;
  const char* upperProduct = r->installedVersion;
  const char* upperHotfix = product.verMax;
  if (haveBuild && product.verMinBuild != 0) {
    lowerProduct = r->installedFullVersion;
    lowerHotfix = product.minVersionText;
  }
  if (haveBuild && product.verMaxBuild != 0) {
    upperProduct = r->installedFullVersion;
    upperHotfix = product.maxVersionText;
  }
  r->withinRange = CompareVersionTexts(lowerProduct, lowerHotfix) >= 0 &&
                   CompareVersionTexts(upperProduct, upperHotfix) <= 0;

  ReadPolicyText(input.wrapper, WithSuffix(product.productOid, ".1.2").c_str(),
                 r->productLanguage, sizeof(r->productLanguage));

  Log(input, "Currently installed version of product \"%s\": %s\n", product.productOid,
      r->installedFullVersion);
  Log(input,
      "Hotfix compatibility with product comparison:\nMin range: product %s, hotfix %s; Max "
      "range: product %s, hotfix %s\nProduct version within range=%d\n",
      lowerProduct, lowerHotfix, upperProduct, upperHotfix, r->withinRange ? 1 : 0);
  Log(input, "Installed product language read from policy: \"%s\"\n", r->productLanguage);
}

const char* ProductKeyNameForOid(const char* productOid) {
  static const struct {
    const char* oid;
    const char* name;
  } kKeys[] = {{"1.3.6.1.4.1.5839.12", HX_PRODUCT_KEY_ENDPOINT},
               {"1.3.6.1.4.1.5839.31", HX_PRODUCT_KEY_ENDPOINT},
               {"1.3.6.1.4.1.5839.14", HX_PRODUCT_KEY_SERVER},
               {"1.3.6.1.4.1.5839.11", HX_PRODUCT_KEY_AGENT}};
  if (!productOid) return nullptr;
  for (const auto& row : kKeys)
    if (lstrcmpiA(row.oid, productOid) == 0) return row.name;
  return nullptr;
}
