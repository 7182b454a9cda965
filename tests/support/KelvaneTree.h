// Kelvane.exe's folder tree as a person reaches its nodes: found by their
// text, scrolled into view with the wheel, opened with a click and Right.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "tests/remote/controls.h"
#include "tests/support/Person.h"

namespace e2e {

class KelvaneTree {
  public:
    KelvaneTree(HWND tree, Person& person) : window_(tree), view_(tree), person_(person) {}

    HWND window() const { return window_; }
    const remote::RemoteTree& view() const { return view_; }

    // The child of `parent` whose text is `text`; nullptr if there is none.
    HTREEITEM child(HTREEITEM parent, const std::string& text) const;
    // Waits until the item is open and shows a child.
    bool waitForChildren(HTREEITEM item) const;
    // A screen point on the item's text, scrolled into view with the wheel.
    std::optional<POINT> pointOnText(HTREEITEM item);
    // Selects the item with a click and opens it with Right.
    bool open(HTREEITEM item);
    // Opens My Computer, drive C: and C:'s folder `name`; its node, or
    // nullptr with the step that failed in `error`.
    HTREEITEM openFolderOfC(const std::string& name, std::string& error);

  private:
    HWND window_;
    remote::RemoteTree view_;
    Person& person_;
};

} // namespace e2e
