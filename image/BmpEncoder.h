#pragma once

#include <cstdio>

class Picture;

// Writes a picture of at least one pixel as an uncompressed 24-bit BMP, whose pixel data is exactly the picture's
// bottom-up buffer. False when the picture is too large for the format's 32-bit sizes or
// writing fails.
bool writeBmp(std::FILE* file, const Picture& picture);
