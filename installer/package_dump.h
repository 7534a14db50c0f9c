// Writes the package records to a log sink (one message per part and
// plug-in) so a failed installation can be diagnosed from the log.
#pragma once

#include "log_sink.h"
#include "package_description.h"

void DumpPackageDescription(PackageDescription& package, LogSink sink);
