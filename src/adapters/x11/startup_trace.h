// Start-up timing for profiling: with VARNEL_TRACE_STARTUP set, each step prints the
// milliseconds since the process started to stderr. Costs one getenv otherwise.
#pragma once

namespace varnel {

void TraceStartup(const char* step);

}  // namespace varnel
