#pragma once

#include "tracer/HitRecord.h"

#include <cstddef>
#include <limits>
#include <vector>

// One pass of Renderer::traceBrightRays over a pixel's tree of rays: which rays it leaves out,
// and the nearest hits an earlier pass over the same tree found, which it reuses.
//
// A ray's share of the pixel's colour is the same in every pass, and never larger than its
// parent's, so a pass with a smaller dimShare follows every ray an earlier one followed, and
// more. It meets them in the same order as well: searches go in the order of the depth-first
// walk, the two rays of a split, where both are followed, searched together before the first of
// them is shaded. A ray followed only in the later pass is always searched before the rays of the
// earlier pass that come after it, or alongside them.
struct BrightRayPass {
    float dimShare = 0.0f;  // rays that carry less of the pixel's colour are left out
    // Rays that carry at least this share were searched by the earlier pass, and their hits are
    // earlierHits from nextEarlierHit on, in the order searched.
    float earlierDimShare = std::numeric_limits<float>::infinity();
    const std::vector<HitRecord>* earlierHits = nullptr;
    std::size_t nextEarlierHit = 0;
    // Where given, this pass appends the hits of every ray it follows, in the order searched.
    std::vector<HitRecord>* hits = nullptr;
};
