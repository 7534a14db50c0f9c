// The utility's usage text.
#pragma once

#include "agentutil/text_sink.h"

namespace agentutil {

void PrintUsage(TextSink& out);

}  // namespace agentutil
