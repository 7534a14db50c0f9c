// TVMAUTIL: the management agent utility (POLL, SHOWUID, RESETUID).
#include "agentutil/command_line.h"
#include "agentutil/system_operations.h"
#include "agentutil/text_sink.h"

int main(int argc, char** argv) {
  agentutil::ConsoleSink out;
  agentutil::SystemOperations operations(agentutil::ImportedPolicyApi(),
                                         agentutil::ImportedTvmaApi(), agentutil::SystemClock(),
                                         out);
  return agentutil::RunCommandLine(argc, argv, operations, out);
}
