// The set-up tool is a dispatcher over families of commands. Each family
// lives in its own source file and hands out a CommandFamily; main.cpp lists
// the families. A family can also hook into "install" and "uninstall" (for
// example to register and start the agent's services).
#pragma once

#include <string>
#include <vector>

namespace tvsim_setup {

// Exit codes of the tool.
const int kExitOk = 0;
const int kExitUsage = 1;
const int kExitFailed = 2;
const int kExitNotFound = 3;

// Command-line words after the command name: positional words, and options
// written "--name value" or "--flag".
class Args {
 public:
  Args(int argc, char** argv, int first);
  const std::vector<std::string>& positional() const { return positional_; }
  size_t count() const { return positional_.size(); }
  const std::string& at(size_t i) const { return positional_[i]; }
  bool Has(const std::string& name) const;
  // Value of "--name value"; fallback when absent. Repeated options: the last.
  std::string Get(const std::string& name, const std::string& fallback) const;
  std::vector<std::string> GetAll(const std::string& name) const;

 private:
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> options_;
};

// One installed product: its OID, its key below Software\Quillmoor\Tarnvale,
// and the version data seeded into the registry and the policy.
struct ProductInfo {
  std::string oid;
  std::string key_name;
  std::string version;
  std::string build;
  std::string language;
};

// What install and uninstall pass to the families' hooks.
struct InstallContext {
  std::string root;        // installation root, trailing backslash
  std::string common_dir;  // root + "Common\"
  std::string tool_dir;    // folder of this tool (the build's bin), trailing backslash
  std::vector<ProductInfo> products;
};

struct Command {
  const char* name;
  const char* usage;  // argument synopsis, shown by "help"
  const char* summary;
  int (*run)(const Args& args);
};

struct CommandFamily {
  const char* name;
  const Command* commands;
  size_t count;
  // Optional: run at the end of install (result non-zero fails the install)
  // and at the start of uninstall.
  int (*after_install)(const InstallContext& context);
  void (*before_uninstall)(const InstallContext& context);
};

// Families, one per source file.
const CommandFamily& ProductCommands();
const CommandFamily& PolicyCommands();
const CommandFamily& IdentityCommands();
const CommandFamily& FaultCommands();
const CommandFamily& AgentCommands();

// All families known to main.cpp, for the install hooks.
const std::vector<const CommandFamily*>& AllFamilies();

// Prints "tvsim_setup: <message>" to standard error.
void Fail(const char* format, ...);

}  // namespace tvsim_setup
