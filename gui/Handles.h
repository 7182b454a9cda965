// Small owners of window-system handles, so that each is released on every
// path by construction.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

template <class H> struct GdiObjectDeleter {
    void operator()(H h) const { DeleteObject(h); }
};
template <class H>
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<H>, GdiObjectDeleter<H>>;

struct MenuDeleter {
    void operator()(HMENU h) const { DestroyMenu(h); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
