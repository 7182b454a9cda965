#include "tests/support/KelvaneTree.h"

#include "tests/remote/window_search.h"

namespace e2e {

HTREEITEM KelvaneTree::child(HTREEITEM parent, const std::string& text) const {
    for (const auto& item : view_.children(parent))
        if (item.text == text) return item.handle;
    return nullptr;
}

bool KelvaneTree::waitForChildren(HTREEITEM item) const {
    return waitUntil(
        [&] { return (view_.item(item).state & TVIS_EXPANDED) && view_.firstChild(item); });
}

std::optional<POINT> KelvaneTree::pointOnText(HTREEITEM item) {
    for (int notch = 0; notch < 100; ++notch) {
        const auto text = view_.itemRect(item, true);
        if (!text) return std::nullopt;
        const RECT client = remote::clientRect(window_);
        if (text->top >= client.top && text->bottom <= client.bottom) {
            POINT p{(text->left + text->right) / 2, (text->top + text->bottom) / 2};
            ClientToScreen(window_, &p);
            return p;
        }
        POINT middle{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
        ClientToScreen(window_, &middle);
        if (!person_.moveTo(middle) || !person_.wheel(text->bottom > client.bottom))
            return std::nullopt;
        const RECT before = *text;
        waitUntil([&] {
            const auto now = view_.itemRect(item, true);
            return now && now->top != before.top;
        });
    }
    return std::nullopt;
}

bool KelvaneTree::open(HTREEITEM item) {
    const auto p = pointOnText(item);
    return p && person_.click(*p) && waitUntil([&] { return view_.selection() == item; }) &&
           person_.key("Right") && waitForChildren(item);
}

HTREEITEM KelvaneTree::openFolderOfC(const std::string& name, std::string& error) {
    if (!waitUntil([&] { return view_.root() != nullptr; })) {
        error = "the tree shows nothing";
        return nullptr;
    }
    const HTREEITEM computer = view_.root();
    if (!(view_.item(computer).state & TVIS_EXPANDED) && !open(computer)) {
        error = "My Computer did not open";
        return nullptr;
    }
    if (!waitForChildren(computer)) {
        error = "My Computer shows nothing";
        return nullptr;
    }
    HTREEITEM drive = nullptr;
    for (const auto& item : view_.children(computer))
        if (item.text.size() >= 4 && item.text.compare(item.text.size() - 4, 4, "(C:)") == 0)
            drive = item.handle;
    if (!drive || !open(drive)) {
        error = drive ? "C: did not open" : "no (C:) under My Computer";
        return nullptr;
    }
    const HTREEITEM folder = child(drive, name);
    if (!folder || !open(folder)) {
        error = folder ? name + " did not open" : "no " + name + " under C:";
        return nullptr;
    }
    return folder;
}

} // namespace e2e
