#pragma once

// How a ray meeting the model's surface divides into a reflected and a transmitted part.
struct SurfaceSplit {
    float sinTransmitted;  // sine of the transmitted ray's angle to the inward normal
    float reflectance;     // share of the reflected ray; 1 under total reflection
};

// The unpolarised Fresnel split for a ray meeting the surface at cosIncidence (against a
// normal facing the ray) with relative index eta, which multiplies the sine of incidence.
SurfaceSplit fresnelSplit(float cosIncidence, float eta);
