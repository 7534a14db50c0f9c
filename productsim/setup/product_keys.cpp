#include "product_keys.h"

#include <windows.h>

namespace tvsim_setup {

namespace {

struct KeyRow {
  const char* oid;
  const char* key;
};

// The first two products share one key.
const KeyRow kRows[] = {
    {"1.3.6.1.4.1.5839.12", "Endpoint Security"},
    {"1.3.6.1.4.1.5839.31", "Endpoint Security"},
    {"1.3.6.1.4.1.5839.14", "Mail Security"},
    {"1.3.6.1.4.1.5839.11", "Management Agent"},
};

}  // namespace

const char* ProductKeyName(const std::string& oid) {
  for (const KeyRow& row : kRows)
    if (lstrcmpiA(row.oid, oid.c_str()) == 0) return row.key;
  return nullptr;
}

}  // namespace tvsim_setup
