#include "identity.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <objbase.h>

#include <cstdio>
#include <vector>

#include "policy_codes.h"
#include "shared/scoped_handle.h"
#include "store_file.h"

namespace tvsim {

namespace {

std::string GuidText(const GUID& g) {
  char text[64];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

// The UUID of the SMBIOS system information structure (type 1), or empty.
std::string SmbiosUuid() {
  const DWORD kRsmb = 0x52534D42;  // 'RSMB'
  UINT size = GetSystemFirmwareTable(kRsmb, 0, nullptr, 0);
  if (size < 8) return std::string();
  std::vector<unsigned char> data(size);
  if (GetSystemFirmwareTable(kRsmb, 0, data.data(), size) != size) return std::string();
  // RawSMBIOSData: 8-byte header, then the structure table.
  size_t pos = 8;
  while (pos + 4 <= data.size()) {
    unsigned char type = data[pos];
    unsigned char length = data[pos + 1];
    if (length < 4 || pos + length > data.size()) break;
    if (type == 1 && length >= 0x19) {
      const unsigned char* u = &data[pos + 8];
      bool blank = true;
      for (int i = 0; i < 16; ++i)
        if (u[i] != 0 && u[i] != 0xff) blank = false;
      if (blank) return std::string();
      GUID g;
      g.Data1 = u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<unsigned long>(u[3]) << 24);
      g.Data2 = static_cast<unsigned short>(u[4] | (u[5] << 8));
      g.Data3 = static_cast<unsigned short>(u[6] | (u[7] << 8));
      for (int i = 0; i < 8; ++i) g.Data4[i] = u[8 + i];
      return GuidText(g);
    }
    if (type == 127) break;
    // Skip the formatted part and the string set ending in two NULs.
    size_t next = pos + length;
    while (next + 1 < data.size() && !(data[next] == 0 && data[next + 1] == 0)) ++next;
    pos = next + 2;
  }
  return std::string();
}

std::string MachineGuid() {
  hx::ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS)
    return std::string();
  char text[64] = {};
  DWORD size = sizeof text - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), "MachineGuid", nullptr, &type,
                       reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::string();
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return "{" + s + "}";
}

std::string MacAddress() {
  ULONG size = 0;
  if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0)
    return "00-00-00-00-00-00";
  std::vector<unsigned char> buffer(size);
  IP_ADAPTER_INFO* info = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (GetAdaptersInfo(info, &size) != ERROR_SUCCESS) return "00-00-00-00-00-00";
  for (IP_ADAPTER_INFO* a = info; a; a = a->Next) {
    if (a->AddressLength != 6) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", a->Address[0],
                  a->Address[1], a->Address[2], a->Address[3], a->Address[4], a->Address[5]);
    return text;
  }
  return "00-00-00-00-00-00";
}

}  // namespace

std::string MakeIdentity(int32_t method) {
  switch (method) {
    case 0: {
      std::string s = SmbiosUuid();
      return s.empty() ? MachineGuid() : s;
    }
    case 1: {
      GUID g;
      if (FAILED(CoCreateGuid(&g))) return std::string();
      return GuidText(g);
    }
    case 2: {
      char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
      DWORD size = sizeof name;
      return GetComputerNameA(name, &size) ? std::string(name) : std::string();
    }
    case 3:
      return MacAddress();
    default:
      return std::string();
  }
}

int32_t CompletePendingIdentity(bool* generated) {
  if (generated) *generated = false;
  int32_t r = UpdateStore([&](StoreImage& image) {
    if (image.identity.operation != 1) return kErrNoIdentity;  // nothing to save
    image.identity.value = MakeIdentity(image.identity.method);
    image.identity.operation = 0;
    if (generated) *generated = true;
    return kOk;
  });
  return r == kErrNoIdentity ? kOk : r;
}

int32_t GenerateIdentityNow() {
  return UpdateStore([](StoreImage& image) {
    image.identity.value = MakeIdentity(image.identity.method);
    image.identity.operation = 0;
    return kOk;
  });
}

}  // namespace tvsim
