#include "tracer/StackHeadroom.h"

#include <cstdint>
#include <pthread.h>

std::size_t currentThreadStackHeadroom()
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return 0;
    }
    void* lowest = nullptr;
    std::size_t size = 0;
    const int status = pthread_attr_getstack(&attributes, &lowest, &size);
    pthread_attr_destroy(&attributes);
    if (status != 0) {
        return 0;
    }
    // The frame address rather than a local's: AddressSanitizer may keep locals on a fake stack
    // in the heap. Stacks grow downwards, and this frame lies just below the caller's.
    const auto current = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    const auto bottom = reinterpret_cast<std::uintptr_t>(lowest);
    if (current <= bottom || current - bottom > size) {
        return 0;
    }
    return current - bottom;
}
