#include "settings/SettingsChecks.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <new>
#include <numbers>
#include <stdexcept>
#include <string>

namespace {

const std::string prefix = "Error in reading xml file. Parameter ";

std::string resolutionText(Resolution resolution)
{
    return std::to_string(resolution.x) + " x " + std::to_string(resolution.y);
}

// Enough digits to tell the float apart from its neighbours: 3.1415927 shows as 3.14159274,
// the float above pi that it is.
std::string floatText(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string gibibytesText(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
    return std::string(text) + " GiB";
}

std::string unaffordablePictureMessage(Resolution resolution)
{
    return prefix + "\"m_resolution\" asks for " + resolutionText(resolution) +
           " pixels; their framebuffer and 24-bit picture need " + gibibytesText(renderMemoryNeed(resolution)) +
           ", more than this machine can give.";
}

// The renderer forms the half angle in float and takes its tangent; the screen spans that
// tangent either side of the view, so it must be positive and finite. 0 (and an angle so tiny
// that its half rounds to 0) gives every pixel the same ray; pi and beyond turn the tangent's
// sign and mirror or scramble the view. Compared in double, since the float nearest pi lies
// above pi and its half-angle tangent is negative.
void refuseUnusableViewAngle(float angle, const char* component)
{
    if (!(angle * 0.5f > 0.0f && static_cast<double>(angle) < std::numbers::pi)) {
        throw prefix + "\"m_viewAngle" + component + "\" is " + floatText(angle) +
            "; a view angle must be more than 0 and less than pi (3.14159265) radians.";
    }
}

std::uint64_t limitOf(int resource)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return limit.rlim_cur;
}

}  // namespace

// The screen's right vector is cross(m_forward, up) = (-f.z, 0, f.x). Judged on the normalised
// vector exactly as the renderer computes it, so that every direction it can use passes,
// however steep: a zero, infinite or NaN input, or one too short or too long for the float
// normalisation, leaves components that are not finite or all zero; a view straight up or down
// leaves f.x and f.z exactly zero, and with them every column of the picture the same.
void refuseViewWithoutHeading(Vec3 forward)
{
    const bool finite = std::isfinite(forward.x) && std::isfinite(forward.y) && std::isfinite(forward.z);
    if (!finite || (forward.x == 0.0f && forward.y == 0.0f && forward.z == 0.0f)) {
        throw prefix + "\"m_forward\" gives no direction to look in: it must be finite and not zero.";
    }
    if (forward.x == 0.0f && forward.z == 0.0f) {
        throw prefix + "\"m_forward\" looks straight up or down; the view needs a horizontal component.";
    }
}

void refuseUnusableViewAngles(ViewAngle viewAngle)
{
    refuseUnusableViewAngle(viewAngle.x, ".x");
    refuseUnusableViewAngle(viewAngle.y, ".y");
}

void refuseUnusableResolution(Resolution resolution)
{
    if (resolution.x == 0 || resolution.y == 0) {
        throw prefix + "\"m_resolution\" asks for " + resolutionText(resolution) +
            " pixels; a picture needs at least 1 x 1.";
    }
    // The render loop indexes pixels as x + width * y in 32 bits, so the whole picture must fit.
    const std::uint64_t pixelCount = std::uint64_t{resolution.x} * resolution.y;
    const std::uint32_t mostPixels = std::numeric_limits<std::uint32_t>::max();
    if (pixelCount > mostPixels) {
        throw prefix + "\"m_resolution\" asks for " + resolutionText(resolution) + " pixels; at most " +
            std::to_string(mostPixels) + " fit in one picture.";
    }
    refuseUnaffordablePicture(resolution, memoryThisMachineCanGive());
}

std::uint64_t renderMemoryNeed(Resolution resolution)
{
    const std::uint64_t framebufferBytes = std::uint64_t{resolution.x} * resolution.y * sizeof(Vec3);
    const std::uint64_t pictureRowBytes = (std::uint64_t{resolution.x} * 24 + 31) / 32 * 4;
    return framebufferBytes + pictureRowBytes * resolution.y;
}

void refuseUnaffordablePicture(Resolution resolution, std::uint64_t availableBytes)
{
    if (renderMemoryNeed(resolution) > availableBytes) {
        throw unaffordablePictureMessage(resolution);
    }
}

// Linux promises memory it may not have: a framebuffer beyond what is free would be granted,
// and the process killed when filling it with zeros touched pages nobody can back. So the
// measure is the memory available now (what the kernel reckons it can hand out without
// swapping), or the physical memory where that is not known. Swap is not counted: a render
// that pages its framebuffer would take days.
std::uint64_t memoryThisMachineCanGive()
{
    std::uint64_t available = std::numeric_limits<std::uint64_t>::max();
    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        unsigned long long kibibytes = 0;
        if (std::sscanf(line.c_str(), "MemAvailable: %llu kB", &kibibytes) == 1) {
            available = std::uint64_t{kibibytes} * 1024;
            break;
        }
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (available == std::numeric_limits<std::uint64_t>::max() && pages > 0 && pageSize > 0) {
        available = std::uint64_t(pages) * std::uint64_t(pageSize);
    }
    return std::min({available, limitOf(RLIMIT_AS), limitOf(RLIMIT_DATA)});
}

std::vector<Vec3> zeroFramebuffer(Resolution resolution)
{
    try {
        return std::vector<Vec3>(std::size_t{resolution.x} * resolution.y, Vec3{0.0f, 0.0f, 0.0f});
    } catch (const std::bad_alloc&) {
        throw unaffordablePictureMessage(resolution);
    } catch (const std::length_error&) {
        throw unaffordablePictureMessage(resolution);
    }
}
