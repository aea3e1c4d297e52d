// xcb's XKB header, which names a field "explicit", a word C++ reserves.
#pragma once

// NOLINTBEGIN(cppcoreguidelines-macro-usage)
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
// NOLINTEND(cppcoreguidelines-macro-usage)
