#include "tracer/StackHeadroom.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cstdint>

namespace {

// The main thread's stack grows on demand up to the resource limit. glibc reports it only from
// below the program's start-up data (arguments, environment, a random offset from address-space
// randomisation), so the reported size moves from run to run; its lowest address plus the
// limit is its fixed top.
std::size_t stackExtent(std::size_t reportedSize)
{
    rlimit limit{};
    if (getpid() != gettid() || getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur < reportedSize) {
        return reportedSize;
    }
    return limit.rlim_cur;
}

}  // namespace

std::size_t currentThreadStackHeadroom()
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return 0;
    }
    void* lowest = nullptr;
    std::size_t reportedSize = 0;
    const int status = pthread_attr_getstack(&attributes, &lowest, &reportedSize);
    pthread_attr_destroy(&attributes);
    if (status != 0) {
        return 0;
    }
    const std::size_t extent = stackExtent(reportedSize);
    // The frame address rather than a local's: AddressSanitizer may keep locals on a fake stack
    // in the heap. Stacks grow downwards, and this frame lies just below the caller's.
    const auto current = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    const auto bottom = reinterpret_cast<std::uintptr_t>(lowest);
    if (current <= bottom || current - bottom > extent) {
        return 0;
    }
    // What lies above this frame is counted in whole steps, so that the few kilobytes by which
    // randomisation shifts the start of a stack do not change the answer from run to run.
    constexpr std::size_t step = 64 * 1024;
    const std::size_t usedAbove = extent - (current - bottom);
    const std::size_t usedAboveInSteps = (usedAbove + step - 1) / step * step;
    return usedAboveInSteps >= extent ? 0 : extent - usedAboveInSteps;
}
