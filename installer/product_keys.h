// Registry keys of the installed products, below the product root key
// Software\Quillmoor\Tarnvale (machine part). Each product key holds
// CurrentVersion (the version text, such as "8.00") and CurrentVersionEx
// (version and build, such as "8.00.1234", at most 15 characters).
#pragma once

#define HX_PRODUCT_ROOT_KEY "Software\\Quillmoor\\Tarnvale"
#define HX_PRODUCT_VERSION_VALUE "CurrentVersion"
#define HX_PRODUCT_VERSION_EX_VALUE "CurrentVersionEx"

// Key names by product OID (compared without regard to case).
// The simulated product's set-up tool (productsim/setup) writes the same names.
#define HX_PRODUCT_KEY_ENDPOINT "Endpoint Security"  // 1.3.6.1.4.1.5839.12 and .31
#define HX_PRODUCT_KEY_SERVER "Mail Security"        // 1.3.6.1.4.1.5839.14
#define HX_PRODUCT_KEY_AGENT "Management Agent"      // 1.3.6.1.4.1.5839.11

// The key name for a product OID, or null when the OID has none.
const char* ProductKeyNameForOid(const char* productOid);
