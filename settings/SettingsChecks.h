#pragma once

#include "maths/Vec3.h"
#include "tracer/Renderer.h"

#include <cstdint>
#include <vector>

// Checks of settings that were read as numbers but cannot make the picture they ask for. Each
// throws the std::string
//     Error in reading xml file. Parameter "<name>" ...
// that says which value is wrong and why.

// m_forward after it was normalised as the renderer does it: a direction with a horizontal part.
void refuseViewWithoutHeading(Vec3 normalisedForward);

// Both full view angles strictly between 0 and pi radians, horizontal first.
void refuseUnusableViewAngles(ViewAngle viewAngle);

// At least 1 x 1, at most 2^32 - 1 pixels, and memory for them on this machine.
void refuseUnusableResolution(Resolution resolution);

// Bytes a render of this resolution holds at once: the float framebuffer and, while it is
// saved, the 24-bit picture made from it.
std::uint64_t renderMemoryNeed(Resolution resolution);

// Refuses a resolution whose renderMemoryNeed is more than availableBytes.
void refuseUnaffordablePicture(Resolution resolution, std::uint64_t availableBytes);

// The most memory this process can hope to fill: the memory the machine has available now, or
// less when a limit on the process's address space or data says so.
std::uint64_t memoryThisMachineCanGive();

// The zero framebuffer of the resolution. An allocation that fails all the same (memory taken
// by others, a limit not seen) throws the same message as refuseUnaffordablePicture.
std::vector<Vec3> zeroFramebuffer(Resolution resolution);
