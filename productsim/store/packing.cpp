#include "packing.h"

#include <cstring>

#include "policy_codes.h"
#include "store_format.h"

namespace tvsim {

namespace {

const char kGetHeader[] = "TVSIM-PACKAGE 1 get\n";
const char kSetHeader[] = "TVSIM-PACKAGE 1 set\n";

uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

std::string PackOid(const std::string& oid) {
  uint32_t total = static_cast<uint32_t>(4 + oid.size() + 1);
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((total >> (8 * i)) & 0xff);
  out += oid;
  out.push_back('\0');
  return out;
}

int32_t PackedOidSize(const void* packed) {
  if (!packed) return 0;
  return static_cast<int32_t>(ReadLe32(static_cast<const unsigned char*>(packed)));
}

int32_t UnpackOid(const void* data, size_t size, std::string* oid) {
  if (!data || size < 6) return kErrStoreCorrupt;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  if (ReadLe32(p) != size || p[size - 1] != '\0') return kErrStoreCorrupt;
  std::string text(reinterpret_cast<const char*>(p + 4), size - 5);
  if (!IsValidOid(text)) return kErrStoreCorrupt;
  *oid = text;
  return kOk;
}

std::string PackPackage(PackageKind kind, const std::string& oid, const PolicyValue& value) {
  std::string out = kind == PackageKind::kGetReply ? kGetHeader : kSetHeader;
  SerializeEntry(oid, value, &out);
  return out;
}

int32_t UnpackPackage(PackageKind kind, const void* data, size_t size, std::string* oid,
                      PolicyValue* value) {
  const char* header = kind == PackageKind::kGetReply ? kGetHeader : kSetHeader;
  size_t header_size = std::strlen(header);
  if (!data || size < header_size || std::memcmp(data, header, header_size) != 0)
    return kErrStoreCorrupt;
  const char* body = static_cast<const char*>(data) + header_size;
  std::string text = "TVSIM-POLICY-STORE 1\n";
  text.append(body, size - header_size);
  if (text.find('\0') != std::string::npos) return kErrStoreCorrupt;
  StoreImage image;
  if (ParseStore(text, &image) != kOk || image.entries.size() != 1) return kErrStoreCorrupt;
  if (text.find("\nidentity") != std::string::npos) return kErrStoreCorrupt;
  *oid = image.entries.begin()->first;
  *value = std::move(image.entries.begin()->second);
  return kOk;
}

}  // namespace tvsim
