#include "agentutil/usage_text.h"

namespace agentutil {
namespace {

const char* const kUsagePieces[] = {
    "\n",
    "TVMAUTIL - Tarnvale Management Agent Utility\n",
    "\n",
    "Operations:\n",
    " TVMAUTIL POLL - Poll the Tarnvale Management Server immediately.\n",
    "\n",
    " TVMAUTIL SHOWUID - Show the host Unique Identity.\n",
    "\n",
    " TVMAUTIL RESETUID {SMBIOSGUID | RANDOMGUID | WINS | MAC} [APPLYNOW] - Regenerate the host "
    "Unique Identity.\n",
    "\n",
    " Where:\n",
    "   SMBIOSGUID - use SMBIOS GUID as host Unique Identity\n",
    "   RANDOMGUID - use randomly generated GUID as host Unique Identity\n",
    // Two blanks before "as" are part of the text.
    "   WINS       - use WINS (NetBIOS) name  as host Unique Identity\n",
    "   MAC        - use MAC (ethernet card) address as host Unique Identity\n",
    "   APPLYNOW   - restart Tarnvale Management Agent to regenerate the host Unique Identity and "
    "take it into use immediately\n",
    "\n",
};

}  // namespace

void PrintUsage(TextSink& out) {
  for (size_t i = 0; i < sizeof(kUsagePieces) / sizeof(kUsagePieces[0]); ++i) {
    out.Write(kUsagePieces[i]);
  }
}

}  // namespace agentutil
