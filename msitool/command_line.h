// Command line of tv_msi_32_s: one or two switches after the program name.
#pragma once

#include <string>

namespace msitool {

class CommandLine {
 public:
  CommandLine(int argc, const wchar_t* const* argv);
  virtual ~CommandLine() = default;

  virtual bool IsValid() const { return valid_; }

  int argument_count() const { return argument_count_; }
  const std::wstring& program_path() const { return program_path_; }
  bool hide_old_entries() const { return hide_old_entries_; }
  bool uninstall() const { return uninstall_; }
  bool help() const { return help_; }
  const std::wstring& upgrade_code() const { return upgrade_code_; }

 private:
  int argument_count_;
  std::wstring program_path_;
  bool hide_old_entries_ = false;
  bool uninstall_ = false;
  bool help_ = false;
  std::wstring upgrade_code_;
  bool valid_ = true;
};

}  // namespace msitool
