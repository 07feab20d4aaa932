#include "tests/tracer/PaintedStackThread.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cstring>
#include <stdexcept>

namespace {

constexpr unsigned char paint = 0xA5;

void* runBody(void* body)
{
    (*static_cast<const std::function<void()>*>(body))();
    return nullptr;
}

// Not instrumented: the finished thread's frames may still be marked in the sanitizer's shadow.
__attribute__((no_sanitize("address"))) std::size_t stillPainted(const unsigned char* bottom, std::size_t size)
{
    std::size_t count = 0;
    while (count < size && bottom[count] == paint) {
        ++count;
    }
    return count;
}

}  // namespace

std::size_t runOnPaintedStack(std::size_t stackSize, const std::function<void()>& body)
{
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* mapping = mmap(nullptr, page + stackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        throw std::runtime_error("cannot map a thread stack");
    }
    auto* guard = static_cast<unsigned char*>(mapping);
    unsigned char* stack = guard + page;
    std::memset(stack, paint, stackSize);

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    int status = mprotect(guard, page, PROT_NONE);
    if (status == 0) {
        status = pthread_attr_setstack(&attributes, stack, stackSize);
    }
    pthread_t thread;
    if (status == 0) {
        status = pthread_create(&thread, &attributes, runBody, const_cast<std::function<void()>*>(&body));
    }
    pthread_attr_destroy(&attributes);
    if (status == 0) {
        pthread_join(thread, nullptr);
    }
    const std::size_t touched = stackSize - stillPainted(stack, stackSize);
    munmap(mapping, page + stackSize);
    if (status != 0) {
        throw std::runtime_error("cannot start a thread on a painted stack");
    }
    return touched;
}
