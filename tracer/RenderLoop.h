#pragma once

#include <cstddef>
#include <string_view>

// What differs between the two programs. Each is defined once per program: with the
// row-parallel render loop (lumora) and with the plain loops (lumora_serial).

// The banner of the timing report, telling which render loop ran.
std::string_view renderLoopBanner();

// The smallest stack space, in bytes, left below the caller's frame on any thread that
// will trace rays in render(), measured from the calling thread's point of view.
std::size_t renderThreadStackHeadroom();
