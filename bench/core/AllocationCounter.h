// Counts heap allocations in this program (the global operator new is replaced), so that a
// benchmark can report how many its loop made.
#pragma once

#include <cstddef>

namespace tugworth::bench {

std::size_t allocationCount();

}  // namespace tugworth::bench
