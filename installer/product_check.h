// Whether a hotfix applies: platform list, installed product and version
// range. The installed version, build and language come from the policy,
// with the product's registry key as the fall-back.
#pragma once

#include <cstddef>

#include "log_sink.h"
#include "package_description.h"
#include "policy_adapter.h"

struct ProductCheckResult {
  bool platformSupported;
  bool productInstalled;
  char installedVersion[8];
  char installedBuild[8];
  char installedFullVersion[16];
  bool withinRange;
  char productLanguage[4];
};

struct ProductCheckInput {
  const char* platformName;
  unsigned servicePack;
  const ProductRequirement* product;
  // Key below HKEY_LOCAL_MACHINE holding the product keys.
  const char* productRootKey;
  // Null or unconnected: every policy read is empty.
  IPolicyAdapter* wrapper;
  // Writes the text exactly as formatted; may be null.
  LogSink log;
};

// The text of the policy variable at oid (at most size - 1 characters);
// returns its length, 0 when none.
size_t ReadPolicyText(IPolicyAdapter* wrapper, const char* oid, char* out, size_t size);

// The installed version from the policy or the registry; returns its length.
size_t ReadInstalledVersion(const ProductCheckInput& input, char* out, size_t size);

void CheckProduct(const ProductCheckInput& input, ProductCheckResult* result);
