#pragma once

#include <cstddef>
#include <cstdint>

// trace and shade recurse once per bounce, so max_depth_ + 1 levels must fit on the stack of
// every render thread. The deepest max_depth_ that fits, with a safety margin, in the given
// stack headroom (see renderThreadStackHeadroom).
std::uint32_t deepestTraceDepth(std::size_t stackHeadroom);
