// Registry path text: the narrow and the wide split of the same text agree
// part by part, every part lies inside the caller's copy and is terminated
// there, and the root look-up agrees too.
#include "shared/regpath_text.h"

#include "fuzz_util.h"

namespace {

template <typename Char>
long Offset(const Char* part, const Char* base) {
  return part == nullptr ? -1 : static_cast<long>(part - base);
}

template <typename Char>
void CheckInside(const Char* part, const Char* base, size_t size) {
  if (part == nullptr) return;
  FUZZ_CHECK(part >= base && part < base + size);
  const Char* p = part;
  while (p < base + size && *p != 0) ++p;
  FUZZ_CHECK(p < base + size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text ends at the first NUL, as a caller's string would.
  size_t length = 0;
  while (length < size && data[length] != 0) ++length;
  std::vector<char> narrow(data, data + length);
  narrow.push_back(0);
  std::vector<wchar_t> wide(narrow.begin(), narrow.end());
  for (size_t i = 0; i < length; ++i) wide[i] = static_cast<wchar_t>(data[i]);

  hx::RegistryPathParts<char> n;
  hx::RegistryPathParts<wchar_t> w;
  unsigned sn = hx::SplitRegistryPath(narrow.data(), &n);
  unsigned sw = hx::SplitRegistryPath(wide.data(), &w);
  FUZZ_CHECK(sn == sw);
  FUZZ_CHECK(sn == hx::kRegPathOk || sn == hx::kRegPathBadPath);
  if (sn != hx::kRegPathOk) return 0;

  FUZZ_CHECK(n.root_name != nullptr && n.sub_key != nullptr && n.value_name != nullptr);
  FUZZ_CHECK(Offset(n.root_name, narrow.data()) == Offset(w.root_name, wide.data()));
  FUZZ_CHECK(Offset(n.sub_key, narrow.data()) == Offset(w.sub_key, wide.data()));
  FUZZ_CHECK(Offset(n.value_name, narrow.data()) == Offset(w.value_name, wide.data()));
  FUZZ_CHECK(Offset(n.data, narrow.data()) == Offset(w.data, wide.data()));
  CheckInside(n.root_name, narrow.data(), narrow.size());
  CheckInside(n.sub_key, narrow.data(), narrow.size());
  CheckInside(n.value_name, narrow.data(), narrow.size());
  CheckInside(n.data, narrow.data(), narrow.size());
  for (size_t i = 0; i < narrow.size(); ++i)
    FUZZ_CHECK(static_cast<unsigned char>(narrow[i]) == static_cast<unsigned>(wide[i]));

  HKEY rn = nullptr, rw = nullptr;
  bool fn = hx::LookUpRootKey(n.root_name, &rn);
  bool fw = hx::LookUpRootKey(w.root_name, &rw);
  FUZZ_CHECK(fn == fw);
  if (fn) FUZZ_CHECK(rn == rw);
  return 0;
}
