// Choosing among Finder's own windows, which include the desktop and the Trash.
#pragma once

#include <optional>
#include <vector>

#include "platform/Element.h"

namespace tugworth {

// A Finder window that passed the title, size and screen-edge rules.
struct FinderCandidate {
    Element window;
    double distance = 0.0;  // from the pointer to the centre of the window's Cocoa frame
};

// The candidate nearest to the pointer; among equal distances the one examined first.
std::optional<FinderCandidate> closestFinderCandidate(std::vector<FinderCandidate> candidates);

}  // namespace tugworth
