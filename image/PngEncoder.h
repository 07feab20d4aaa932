#pragma once

#include <cstdio>

class Picture;

// Writes a picture of at least one pixel as an 8-bit RGB PNG without alpha, tuned for speed (the UP filter on
// every row, zlib's run-length strategy). False when libpng reports an error, writing fails included.
bool writePng(std::FILE* file, const Picture& picture);
