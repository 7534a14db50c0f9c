#include "command.h"

namespace tvsim_setup {

Args::Args(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) {
    std::string word = argv[i];
    if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
      std::string name = word.substr(2);
      std::string value;
      // A following word that is not itself an option is the value.
      if (i + 1 < argc && std::string(argv[i + 1]).compare(0, 2, "--") != 0) value = argv[++i];
      options_.emplace_back(name, value);
    } else {
      positional_.push_back(word);
    }
  }
}

bool Args::Has(const std::string& name) const {
  for (const auto& o : options_)
    if (o.first == name) return true;
  return false;
}

std::string Args::Get(const std::string& name, const std::string& fallback) const {
  std::string value = fallback;
  for (const auto& o : options_)
    if (o.first == name) value = o.second;
  return value;
}

std::vector<std::string> Args::GetAll(const std::string& name) const {
  std::vector<std::string> values;
  for (const auto& o : options_)
    if (o.first == name) values.push_back(o.second);
  return values;
}

}  // namespace tvsim_setup
