#pragma once

#include <cmath>

// A point or direction in double precision. The model is laid out in double and rounded to
// float only when written, and only +, -, *, / and sqrt are used: all correctly rounded, so
// the layout is bit-identical on every machine.
struct Vec3d {
    double x;
    double y;
    double z;
};

inline Vec3d operator+(Vec3d a, Vec3d b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3d operator-(Vec3d a, Vec3d b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3d operator*(Vec3d a, double s) { return {a.x * s, a.y * s, a.z * s}; }

inline double dot(Vec3d a, Vec3d b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3d cross(Vec3d a, Vec3d b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

inline double length(Vec3d a) { return std::sqrt(dot(a, a)); }

inline Vec3d normalized(Vec3d a) { return a * (1.0 / length(a)); }

inline Vec3d lerp(Vec3d from, Vec3d to, double t) { return from + (to - from) * t; }
