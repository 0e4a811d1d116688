#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

// Every other form of the global operator new and delete (arrays, nothrow, sized) goes
// through these two by default.
namespace {
std::size_t allocations = 0;  // the programs that count run their work on one thread
}  // namespace

namespace tugworth::counting {
std::size_t allocationCount() {
    return allocations;
}
}  // namespace tugworth::counting

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
