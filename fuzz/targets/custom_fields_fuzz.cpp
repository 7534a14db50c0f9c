// Field splitting of the custom settings entries: outputs stay inside their
// buffers (guard bytes), are terminated, and put back together they give the
// line they came from when nothing had to be cut.
#include "installer/custom_settings_text.h"

#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  size_t firstSize = in.Byte() % 80;
  size_t restSize = in.Byte() % 80;
  std::string value = in.Rest();
  value = value.substr(0, value.find('\0'));
  std::string line = value.substr(0, value.find_first_of("\r\n"));

  fuzz::GuardedBuffer first(firstSize);
  fuzz::GuardedBuffer rest(restSize);
  SplitFirstField(value.c_str(), first.data(), first.size(), rest.data(), rest.size());
  FUZZ_CHECK(first.GuardIntact() && rest.GuardIntact());
  if (firstSize > 0) FUZZ_CHECK(first.Terminated());
  if (restSize > 0) FUZZ_CHECK(rest.Terminated());
  if (firstSize > line.size() && restSize > line.size()) {
    size_t comma = line.find(',');
    std::string joined = first.data();
    if (comma != std::string::npos) joined += std::string(",") + rest.data();
    else FUZZ_CHECK(rest.data()[0] == '\0');
    FUZZ_CHECK(joined == line);
  }

  fuzz::GuardedBuffer copy(firstSize);
  CopyToLineEnd(value.c_str(), copy.data(), copy.size());
  FUZZ_CHECK(copy.GuardIntact());
  if (firstSize > line.size()) FUZZ_CHECK(line == copy.data());

  TableSetting setting;
  std::memset(&setting, 0x5A, sizeof(setting));
  if (ParseTableSetting(value.c_str(), &setting)) {
    FUZZ_CHECK(std::memchr(setting.oid, 0, sizeof(setting.oid)) != nullptr);
    FUZZ_CHECK(std::memchr(setting.text, 0, sizeof(setting.text)) != nullptr);
    FUZZ_CHECK(setting.oid[0] != '\0');
    FUZZ_CHECK(line.find(',') != std::string::npos);
  }
  LeadingInteger(value.c_str());
  return 0;
}
