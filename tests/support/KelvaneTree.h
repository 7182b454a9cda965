// Kelvane.exe's folder tree as a person reaches its nodes: found by their
// text, scrolled into view with the wheel, opened with a click and Right or
// with their expand button.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
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
    // The first child of `parent` whose text satisfies `match`, or nullptr.
    HTREEITEM childWhere(HTREEITEM parent,
                         const std::function<bool(const std::string&)>& match) const;
    // The child of My Computer that shows `drive` ("C:") as "... (C:)".
    HTREEITEM drive(HTREEITEM computer, const std::string& drive) const;
    // The children's texts, " | " between them, for failure messages.
    std::string childrenText(HTREEITEM parent) const;

    bool expanded(HTREEITEM item) const;
    // Waits until the item is open and shows a child.
    bool waitForChildren(HTREEITEM item) const;

    // A screen point on the item's text, scrolled into view with the wheel;
    // nothing if that could not be done.
    std::optional<POINT> pointOnText(HTREEITEM item);
    // The item's expand button as TVM_HITTEST finds it along the item's row,
    // in screen coordinates, after scrolling the item into view.
    std::optional<POINT> expandButton(HTREEITEM item);

    // Selects the item with a click and opens it with Right.
    bool open(HTREEITEM item);
    // Opens My Computer, drive C: and C:'s folder `name`; its node, or
    // nullptr with the step that failed in `error`.
    HTREEITEM openFolderOfC(const std::string& name, std::string& error);

  private:
    // The item's text rectangle, scrolled fully into the client area.
    std::optional<RECT> bringIntoView(HTREEITEM item);

    HWND window_;
    remote::RemoteTree view_;
    Person& person_;
};

} // namespace e2e
