#pragma once

#include <cstddef>
#include <functional>

// Runs body on a new thread whose stack is a fresh mapping of stackSize bytes, filled with a
// pattern and lying above an inaccessible guard page, so an overflow faults. Returns how many
// bytes from the top of that stack the thread ever wrote.
std::size_t runOnPaintedStack(std::size_t stackSize, const std::function<void()>& body);
