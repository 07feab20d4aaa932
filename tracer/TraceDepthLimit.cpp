#include "tracer/TraceDepthLimit.h"

#include "tracer/TraceStackBudget.h"

#include <algorithm>
#include <limits>

std::uint32_t deepestTraceDepth(std::size_t stackHeadroom)
{
    if (stackHeadroom < kTraceStackSafetyMargin) {
        return 0;
    }
    // max_depth_ = N nests N + 1 levels of trace and shade.
    const std::size_t levels = (stackHeadroom - kTraceStackSafetyMargin) / kTraceLevelStackBytes;
    if (levels == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::min<std::size_t>(levels - 1, std::numeric_limits<std::uint32_t>::max()));
}
