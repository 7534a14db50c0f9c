#include "productsim/tvma/policy_oid_text.h"

#include <windows.h>

namespace tvsim {
namespace {

// Helper export of the policy library stand-in: the OID text of a variable,
// table or OID handle; 0 on success.
using OidTextFn = INT32(__stdcall*)(const void* handle, char* buffer, INT32 size);
constexpr char kOidTextExport[] = "TvsimGetOidText";

}  // namespace

bool PolicyHandleOidText(const void* handle, std::string* oid) {
  if (handle == nullptr) return false;
  // The caller handed over a handle of the policy library, so it is loaded.
  HMODULE library = GetModuleHandleW(L"TVPMAPI.dll");
  if (library == nullptr) return false;
  auto fn = reinterpret_cast<OidTextFn>(
      reinterpret_cast<void*>(GetProcAddress(library, kOidTextExport)));
  if (fn == nullptr) return false;
  char buffer[256] = {};
  if (fn(handle, buffer, sizeof buffer) != 0) return false;
  buffer[sizeof buffer - 1] = '\0';
  *oid = buffer;
  return !oid->empty();
}

}  // namespace tvsim
