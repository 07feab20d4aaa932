#include "tracer/ChannelByte.h"
#include "tracer/Renderer.h"

#include <cstdint>

// A pixel's tree of rays holds many that carry a tiny share of its colour, and the saved bytes
// seldom depend on them. So a pixel is first traced without the rays that carry less than
// kDimShare, which gives bounds on its colour. Where both bounds save as the same bytes, so does
// trace's colour, and the pixel is done; elsewhere it is traced in full.
//
// Why the bounds hold trace's colour, wherever boundsAreExact allows them:
// - No direction in the tree gets 2.4 long. The camera ray's is at most 2.25 long. A transmitted
//   direction is m sinT - n cosT, with m normalized (shorter than 1.6 even where its squares
//   underflow), so it is at most sqrt(1.6^2 + |n|^2) < 2.25 long. A reflection D + n (2c), with
//   |n|^2 within 2^-20 of 1 and c = dot(-D, n) rounded, lengthens D by a factor below 1 + 2^-18,
//   and there are at most max_depth_ of them in a row: (1 + 2^-18)^4096 < 1.02.
// - So every cosine of incidence c lies in [0, 4), and there fresnelSplit, at the crystal's
//   index and at its inverse, gives R and T = 1 - R in [0, 1] (checked for every float c in
//   [0, 4]; FresnelTest samples them).
// - So every colour in the tree lies in [0, 1] in each channel, without NaN, from the room's
//   colours up: with a and b in [0, 1], a model hit's a R + b T in float is at most R + T in
//   float, which is 1 for every R in [0, 1], and the tint's halving and the mirror keep it there.
//   An untraced ray's colour lies between black and white.
// - Every operation from a child's colour to its parent's (products with R or T, which are above
//   kMinimumWeight for a ray traced or left out, sums and halving) never decreases as the child's
//   colour grows, and neither does channelByte. So the colour with the untraced rays taken as
//   black saves as at most trace's bytes, and the one with them taken as white as at least.

namespace {

// A byte spans 1/255 of a channel, about 40 times this. On the default scene about 30 % of the
// rays carry less, and 0.4 % of the pixels are then traced again in full.
constexpr float kDimShare = 1e-4f;

// The renders the programs run; the brute-force build is the reference and traces every ray.
constexpr bool kLeavesOutDimRays = !LUMORA_BRUTE_FORCE;

bool boundsAreExact(const Renderer& renderer, const Ray& cameraRay)
{
    const Vec3 direction = cameraRay.direction;
    return renderer.m_scene != nullptr && renderer.m_scene->m_refractionIndex == kCrystalRefractionIndex &&
           renderer.m_faceNormals.allNearUnitLength && renderer.max_depth_ <= 4096 &&
           dot(direction, direction) <= 5.0f;  // false for NaN and infinite components as well
}

bool savedAlike(Vec3 a, Vec3 b)
{
    return channelByte(a.x) == channelByte(b.x) && channelByte(a.y) == channelByte(b.y) &&
           channelByte(a.z) == channelByte(b.z);
}

}  // namespace

Vec3 Renderer::pixelColour(std::uint32_t x, std::uint32_t y) const
{
    const Ray cameraRay = primaryRay(x, y);
    if (kLeavesOutDimRays && boundsAreExact(*this, cameraRay)) {
        const ColourRange bounds = traceBrightRays(cameraRay, kDimShare);
        if (savedAlike(bounds.low, bounds.high)) {
            return bounds.low;
        }
    }
    return trace(cameraRay, 0);
}
