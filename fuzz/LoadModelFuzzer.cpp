#include "model3ds/L3DS.h"

#include <cstddef>
#include <cstdint>

// Loads each input as a model file. Any crash, hang, sanitizer report or leak is a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    L3DS model;
    model.loadFromMemory(data, size);
    return 0;
}
