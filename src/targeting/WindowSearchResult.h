// What the search under the pointer hands to target capture.
#pragma once

#include <string>

#include "platform/Element.h"

namespace tugworth {

struct WindowSearchResult {
    Element window;
    Pid pid = 0;
    std::string ownerName;
};

}  // namespace tugworth
