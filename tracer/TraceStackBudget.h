#pragma once

#include <cstddef>

// Stack cost of the recursive tracer, which bounds max_depth_ (see TraceDepthLimit.h).
//
// One level is a trace frame plus a shade frame. Measured by tracing a ray trapped at full
// depth on a painted stack (TraceDepthLimitTest), in bytes per level, and cross-checked with
// -fstack-usage:
//   g++ 12:     Release 336, Debug 528;  with ASan+UBSan: RelWithDebInfo 1328, Debug 1088
//   clang++ 14: Release 320, Debug 896;  with ASan+UBSan: RelWithDebInfo 864,  Debug 3360
// The budgets are more than twice the worst case of each kind of build.
#if defined(__SANITIZE_ADDRESS__)
#define LUMORA_TRACE_STACK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMORA_TRACE_STACK_SANITIZED 1
#endif
#endif

#if defined(LUMORA_TRACE_STACK_SANITIZED)
inline constexpr std::size_t kTraceLevelStackBytes = 8192;
#else
inline constexpr std::size_t kTraceLevelStackBytes = 2048;
#endif

// Covers the frames above the first trace (render, the OpenMP runtime) and those below the
// deepest one (the nearest-hit search and the shading helpers).
inline constexpr std::size_t kTraceStackSafetyMargin = 64 * 1024;
