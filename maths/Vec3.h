#pragma once

#include <cmath>

// Three single-precision floats: a point, a direction, a normal or a colour (x red, y green,
// z blue). Every operation evaluates its terms in the written order, so results are the same
// bit for bit in every build.
struct Vec3 {
    float x;
    float y;
    float z;
};

// The correctly rounded single-precision root: taken in double, rounded back to float.
inline float squareRoot(float value) { return static_cast<float>(std::sqrt(static_cast<double>(value))); }

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }

inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

inline float length(Vec3 a) { return squareRoot(dot(a, a)); }

// One reciprocal, then three products. No zero test: a zero vector becomes non-finite.
inline Vec3 normalize(Vec3 a)
{
    const float reciprocal = 1.0f / length(a);
    return {a.x * reciprocal, a.y * reciprocal, a.z * reciprocal};
}

// The first corner is the common one, so the side the normal faces follows the winding.
inline Vec3 triangleNormal(Vec3 p0, Vec3 p1, Vec3 p2) { return normalize(cross(p0 - p1, p0 - p2)); }
