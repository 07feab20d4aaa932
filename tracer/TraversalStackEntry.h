#pragma once

#include <cstdint>

namespace bvh_traversal {

// A box waiting on the search's stack: its node or leaf, as BvhNodeOf::child names it, and the
// distance at which the ray enters it.
struct StackEntry {
    std::uint32_t node;
    float entry;
};

}  // namespace bvh_traversal
