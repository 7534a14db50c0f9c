// tv_msi_32_s texts: product versions (the order is strict: never both
// higher, never higher than itself) and the command line switches.
#include "msitool/command_line.h"
#include "msitool/version.h"

#include "fuzz_util.h"

using namespace msitool;

namespace {

std::wstring Wide(const std::string& text) {
  std::wstring out;
  for (unsigned char c : text) out.push_back(static_cast<wchar_t>(c));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  uint8_t which = in.Byte();
  if (which & 1) {
    std::wstring a = Wide(in.Piece());
    std::wstring b = Wide(in.Piece());
    VersionNumbers x = {7, 7, 7, 7}, y = {7, 7, 7, 7};
    bool px = ParseVersion(a.c_str(), &x);
    bool py = ParseVersion(b.c_str(), &y);
    if (!px) FUZZ_CHECK(x.major == 7 && x.minor == 7 && x.build == 7 && x.revision == 7);
    if (px && py) {
      FUZZ_CHECK(!IsHigherVersion(x, x));
      FUZZ_CHECK(!(IsHigherVersion(x, y) && IsHigherVersion(y, x)));
    }
    return 0;
  }
  std::vector<std::wstring> args;
  while (!in.Empty() && args.size() < 5) args.push_back(Wide(in.Piece()));
  std::vector<const wchar_t*> argv;
  for (const std::wstring& s : args) argv.push_back(s.c_str());
  argv.push_back(nullptr);
  CommandLine line(static_cast<int>(args.size()), argv.data());
  if (line.IsValid()) FUZZ_CHECK(args.size() == 2 || args.size() == 3);
  return 0;
}
