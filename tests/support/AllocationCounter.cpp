#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

// Every form is replaced: a sanitizer brings its own of each, and a pair from two allocators
// would not match.
namespace {
std::size_t allocations = 0;  // the programs that count run their work on one thread

void* allocate(std::size_t size) noexcept {
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

namespace tugworth::counting {
std::size_t allocationCount() {
    return allocations;
}
}  // namespace tugworth::counting

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
