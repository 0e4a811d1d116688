// xcb hands out replies, events and errors that the caller frees with free(): held here.
#pragma once

#include <cstdlib>
#include <memory>

namespace tugworth::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using ReplyPtr = std::unique_ptr<T, FreeDeleter>;

}  // namespace tugworth::x11
