// Policy store stand-in: the packed OID, the get-reply and set-request
// packages, the store text and the fault switch text. Whatever is accepted
// packs or writes back to something that reads in again as the same value.
#include "productsim/store/packing.h"
#include "productsim/store/policy_codes.h"
#include "productsim/store/store_format.h"

#include "fuzz_util.h"

using namespace tvsim;

namespace {

bool SameImage(const StoreImage& a, const StoreImage& b) {
  if (a.identity.method != b.identity.method || a.identity.operation != b.identity.operation ||
      a.identity.value != b.identity.value || a.entries.size() != b.entries.size())
    return false;
  for (auto i = a.entries.begin(), j = b.entries.begin(); i != a.entries.end(); ++i, ++j)
    if (i->first != j->first || !(i->second == j->second)) return false;
  return true;
}

void PackedOid(const std::string& bytes) {
  std::string oid;
  if (UnpackOid(bytes.data(), bytes.size(), &oid) != kOk) return;
  FUZZ_CHECK(IsValidOid(oid));
  FUZZ_CHECK(PackOid(oid) == bytes);
  FUZZ_CHECK(PackedOidSize(bytes.data()) == static_cast<int32_t>(bytes.size()));
}

void Package(PackageKind kind, const std::string& bytes) {
  std::string oid;
  PolicyValue value;
  if (UnpackPackage(kind, bytes.data(), bytes.size(), &oid, &value) != kOk) return;
  FUZZ_CHECK(IsValidOid(oid));
  std::string packed = PackPackage(kind, oid, value);
  std::string oid2;
  PolicyValue value2;
  FUZZ_CHECK(UnpackPackage(kind, packed.data(), packed.size(), &oid2, &value2) == kOk);
  FUZZ_CHECK(oid2 == oid && value2 == value);
  FUZZ_CHECK(PackPackage(kind, oid2, value2) == packed);
  PackageKind other = kind == PackageKind::kGetReply ? PackageKind::kSetRequest : PackageKind::kGetReply;
  FUZZ_CHECK(UnpackPackage(other, packed.data(), packed.size(), &oid2, &value2) != kOk);
}

void Store(const std::string& text) {
  StoreImage image;
  size_t line = 0;
  if (ParseStore(text, &image, &line) != kOk) return;
  std::string written;
  SerializeStore(image, &written);
  StoreImage again;
  FUZZ_CHECK(ParseStore(written, &again) == kOk);
  FUZZ_CHECK(SameImage(image, again));
  std::string rewritten;
  SerializeStore(again, &rewritten);
  FUZZ_CHECK(rewritten == written);
}

void Faults(const std::string& text) {
  FaultSwitches faults;
  if (ParseFaults(text, &faults) != kOk) return;
  std::string written;
  SerializeFaults(faults, &written);
  FaultSwitches again;
  FUZZ_CHECK(ParseFaults(written, &again) == kOk);
  FUZZ_CHECK(again.channel_refused == faults.channel_refused &&
             again.probe_exists == faults.probe_exists && again.oid_errors == faults.oid_errors);
}

void Escapes(const std::string& text) {
  std::string plain;
  if (UnescapeText(text, &plain)) {
    std::string back;
    FUZZ_CHECK(UnescapeText(EscapeText(plain), &back) && back == plain);
  }
  std::string escaped = EscapeText(text);
  FUZZ_CHECK(escaped.find_first_of("\t\n\r") == std::string::npos);
  FUZZ_CHECK(UnescapeText(escaped, &plain) && plain == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  uint8_t which = in.Byte();
  std::string rest = in.Rest();
  switch (which % 6) {
    case 0: PackedOid(rest); break;
    case 1: Package(PackageKind::kGetReply, rest); break;
    case 2: Package(PackageKind::kSetRequest, rest); break;
    case 3: Store(rest); break;
    case 4: Faults(rest); break;
    default: Escapes(rest); break;
  }
  return 0;
}
