#include "product_keys.h"

#include <windows.h>

#include "installer/product_keys.h"

namespace tvsim_setup {

namespace {

struct KeyRow {
  const char* oid;
  const char* key;
};

// The installer's key names; the first two products share one key.
const KeyRow kRows[] = {
    {"1.3.6.1.4.1.5839.12", HX_PRODUCT_KEY_ENDPOINT},
    {"1.3.6.1.4.1.5839.31", HX_PRODUCT_KEY_ENDPOINT},
    {"1.3.6.1.4.1.5839.14", HX_PRODUCT_KEY_SERVER},
    {"1.3.6.1.4.1.5839.11", HX_PRODUCT_KEY_AGENT},
};

}  // namespace

const char* ProductKeyName(const std::string& oid) {
  for (const KeyRow& row : kRows)
    if (lstrcmpiA(row.oid, oid.c_str()) == 0) return row.key;
  return nullptr;
}

}  // namespace tvsim_setup
