// The soak's report on stdout: one Markdown table of the checks, each with
// its bound, what the run found and a verdict; then every drop-out, the steps
// as carried out, the problems with their evidence, and where the logs are.
#pragma once

#include "soakresult.h"

namespace soak {

// Prints the report; true when every check was met.
bool printReport(const SoakResult &result, const QString &platform);

} // namespace soak
