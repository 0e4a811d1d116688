// One count over every platform call the simulated desktop answers, whatever the interface.
#pragma once

#include <cstdint>

namespace tugworth::sim {

struct CallCounter {
    std::uint64_t calls = 0;
    void count() { ++calls; }
};

}  // namespace tugworth::sim
