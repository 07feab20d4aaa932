#include "tracer/Fresnel.h"

#include "maths/Vec3.h"

SurfaceSplit fresnelSplit(float cosIncidence, float eta)
{
    const float c = cosIncidence;
    const float cSquared = c * c;
    const float A = 1.0f - cSquared;
    // A unit direction against a unit normal can give c slightly above 1 by rounding; the sine
    // is then 0, not the root of a negative number.
    const float sinIncidence = A < 0.0f ? 0.0f : squareRoot(A);
    const float sinTransmitted = eta * sinIncidence;
    if (sinTransmitted >= 1.0f) {
        return {sinTransmitted, 1.0f};
    }
    const float G = (eta * eta + cSquared) - 1.0f;
    if (G < 0.0f) {
        return {sinTransmitted, 1.0f};
    }
    const float g = squareRoot(G);
    const float K = (g * 2.0f) * c;
    const float S = cSquared + G;
    const float sharedTerm = A * A + cSquared * G;  // in both numerator and denominator
    const float reflectance = ((sharedTerm - K * A) / (K * A + sharedTerm) + 1.0f) * ((S - K) / (K + S)) * 0.5f;
    return {sinTransmitted, reflectance};
}
