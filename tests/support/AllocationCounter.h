// Counts heap allocations in a program that links this (every form of the global operator new
// is replaced), so that a test or a benchmark can show how many a piece of work made.
#pragma once

#include <cstddef>

namespace tugworth::counting {

std::size_t allocationCount();

}  // namespace tugworth::counting
