#include "productsim/tvma/policy_oid_text.h"

#include <windows.h>

#include <cstring>

namespace tvsim {
namespace {

using GetPackedOidFn = INT32(__stdcall*)(void* handle, void** packed);

bool PlausibleOid(const std::string& text) {
  if (text.empty() || text.size() > 255) return false;
  for (char c : text) {
    if ((c < '0' || c > '9') && c != '.') return false;
  }
  return true;
}

// A packed OID: u32 total size (little-endian, header included), the text,
// one NUL.
bool TextOfPackedOid(const void* packed, std::string* oid) {
  const unsigned char* p = static_cast<const unsigned char*>(packed);
  if (p == nullptr) return false;
  uint32_t size = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  if (size < 6 || size > 4 + 256 || p[size - 1] != '\0') return false;
  oid->assign(reinterpret_cast<const char*>(p + 4), size - 5);
  return PlausibleOid(*oid);
}

}  // namespace

bool PolicyHandleOidText(const void* handle, std::string* oid) {
  if (handle == nullptr) return false;
  // The caller got the handle from the policy library, so it is loaded.
  HMODULE library = GetModuleHandleW(L"TVPMAPI.dll");
  if (library == nullptr) return false;
  auto get_packed = reinterpret_cast<GetPackedOidFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "TchGetPackedOID")));
  // A policy variable: its packed OID. The library refuses handles that are
  // not variables.
  void* packed = nullptr;
  if (get_packed != nullptr && get_packed(const_cast<void*>(handle), &packed) == 0) {
    return TextOfPackedOid(packed, oid);
  }
  // An OID handle of QmpCreatePolicyOID: the policy library stand-in keeps
  // it as a std::string of the OID text for the rest of the process (built
  // with the same compiler and standard library as this DLL).
  const std::string* text = static_cast<const std::string*>(handle);
  if (!PlausibleOid(*text)) return false;
  *oid = *text;
  return true;
}

}  // namespace tvsim
