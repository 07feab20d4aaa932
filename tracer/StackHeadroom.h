#pragma once

#include <cstddef>

// Bytes of stack left below the caller's frame on the calling thread; 0 when the thread's
// stack cannot be found.
std::size_t currentThreadStackHeadroom();
