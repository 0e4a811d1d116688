// Window-list entries of any shape, and Accessibility answers of any kind, through the search
// and one whole gesture: nothing may crash, hang or write a diagnostic that is not one line.
#include <cstddef>
#include <cstdint>

#include "HostileDesktop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto problem = tugworth::fuzz::runHostileDesktop(data, size))
        tugworth::fuzz::failWith("hostile desktop", *problem);
    return 0;
}
