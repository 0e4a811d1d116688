// The XKB protocol header, included in one place: it names a struct field `explicit`, a C++
// keyword, so the name is changed for the length of the include.
#pragma once

#include <xcb/xcb.h>

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
