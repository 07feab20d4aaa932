#pragma once

#include <cstdint>

// Numbers in settings attributes are read the way the C library's scanf reads "%f" and "%u":
// white space before the number is skipped and whatever follows it is ignored. A missing (null)
// text, an empty one, or one that does not begin with a number is refused. On success the value
// is stored and true returned; on failure the destination is left as it was.

// strtof's syntax, including exponents, hexadecimal floats, "inf" and "nan".
bool parseNumberText(const char* text, float& value);

// Decimal digits with an optional sign; a leading minus wraps the value modulo 2^32, so "-1" is
// 4294967295. scanf leaves a magnitude beyond 4294967295 undefined (C libraries cut it to some
// 32-bit value), so it is refused: a picture 4294967296 pixels wide must not become 0 wide.
bool parseNumberText(const char* text, std::uint32_t& value);
