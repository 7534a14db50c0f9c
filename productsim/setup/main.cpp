// tvsim_setup: installs the simulated Tarnvale product into the Wine prefix,
// removes it again, and reads and changes its policy store and fault
// switches. Usage: tvsim_setup <command> [arguments]; "help" lists them.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "command.h"

namespace tvsim_setup {

const std::vector<const CommandFamily*>& AllFamilies() {
  // One line per family; a new family adds its line here.
  static const std::vector<const CommandFamily*> families = {
      &ProductCommands(),
      &PolicyCommands(),
      &IdentityCommands(),
      &FaultCommands(),
      &AgentCommands(),
  };
  return families;
}

void Fail(const char* format, ...) {
  std::fputs("tvsim_setup: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

namespace {

void PrintHelp() {
  std::printf("usage: tvsim_setup <command> [arguments]\n");
  for (const CommandFamily* family : AllFamilies()) {
    std::printf("\n%s:\n", family->name);
    for (size_t i = 0; i < family->count; ++i) {
      const Command& c = family->commands[i];
      std::printf("  %s %s\n      %s\n", c.name, c.usage, c.summary);
    }
  }
}

}  // namespace

}  // namespace tvsim_setup

int main(int argc, char** argv) {
  using namespace tvsim_setup;
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
    PrintHelp();
    return argc < 2 ? kExitUsage : kExitOk;
  }
  for (const CommandFamily* family : AllFamilies()) {
    for (size_t i = 0; i < family->count; ++i) {
      const Command& c = family->commands[i];
      if (std::strcmp(c.name, argv[1]) != 0) continue;
      try {
        return c.run(Args(argc, argv, 2));
      } catch (...) {
        Fail("%s: unexpected failure", c.name);
        return kExitFailed;
      }
    }
  }
  Fail("unknown command \"%s\" (try help)", argv[1]);
  return kExitUsage;
}
