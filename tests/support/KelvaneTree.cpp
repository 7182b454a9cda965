#include "tests/support/KelvaneTree.h"

#include <algorithm>

#include "tests/remote/window_search.h"

namespace e2e {

HTREEITEM KelvaneTree::child(HTREEITEM parent, const std::string& text) const {
    return childWhere(parent, [&](const std::string& t) { return t == text; });
}

HTREEITEM KelvaneTree::childWhere(HTREEITEM parent,
                                  const std::function<bool(const std::string&)>& match) const {
    for (const auto& item : view_.children(parent))
        if (match(item.text)) return item.handle;
    return nullptr;
}

HTREEITEM KelvaneTree::drive(HTREEITEM computer, const std::string& drive) const {
    const std::string shown = "(" + drive + ")";
    return childWhere(computer, [&](const std::string& t) {
        return t.size() >= shown.size() &&
               t.compare(t.size() - shown.size(), shown.size(), shown) == 0;
    });
}

std::string KelvaneTree::childrenText(HTREEITEM parent) const {
    std::string out;
    for (const auto& item : view_.children(parent))
        out += (out.empty() ? "" : " | ") + item.text;
    return out;
}

bool KelvaneTree::expanded(HTREEITEM item) const {
    return (view_.item(item).state & TVIS_EXPANDED) != 0;
}

bool KelvaneTree::waitForChildren(HTREEITEM item) const {
    return waitUntil([&] { return expanded(item) && view_.firstChild(item) != nullptr; });
}

std::optional<RECT> KelvaneTree::bringIntoView(HTREEITEM item) {
    for (int notch = 0; notch < 200; ++notch) {
        const auto text = view_.itemRect(item, true);
        if (!text) return std::nullopt;
        const RECT client = remote::clientRect(window_);
        if (text->top >= client.top && text->bottom <= client.bottom) return text;
        if (!person_.moveTo(remote::toScreen(window_, remote::centre(client))) ||
            !person_.wheel(text->bottom > client.bottom))
            return std::nullopt;
        const RECT before = *text;
        if (!waitUntil([&] {
                const auto now = view_.itemRect(item, true);
                return now && now->top != before.top;
            }))
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<POINT> KelvaneTree::pointOnText(HTREEITEM item) {
    const auto text = bringIntoView(item);
    if (!text) return std::nullopt;
    // A text wider than the tree is clicked where it shows.
    const RECT client = remote::clientRect(window_);
    const LONG left = std::max(text->left, client.left),
               right = std::min(text->right, client.right);
    return remote::toScreen(window_, {(left + right) / 2, (text->top + text->bottom) / 2});
}

std::optional<POINT> KelvaneTree::expandButton(HTREEITEM item) {
    const auto text = bringIntoView(item);
    if (!text) return std::nullopt;
    const remote::RemoteWindow window(window_);
    remote::RemoteBuffer hit = window.allocate(sizeof(TVHITTESTINFO));
    const LONG y = (text->top + text->bottom) / 2;
    LONG first = -1, last = -1;
    for (LONG x = 0; x < text->left; ++x) {
        TVHITTESTINFO info{};
        info.pt = {x, y};
        hit.put(info);
        const auto found = reinterpret_cast<HTREEITEM>(window.send(TVM_HITTEST, 0, hit.address()));
        const auto answer = hit.get<TVHITTESTINFO>();
        if (found == item && (answer.flags & TVHT_ONITEMBUTTON)) {
            if (first < 0) first = x;
            last = x;
        }
    }
    if (first < 0) return std::nullopt;
    return remote::toScreen(window_, {(first + last) / 2, y});
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
    if (!expanded(computer) && !open(computer)) {
        error = "My Computer did not open";
        return nullptr;
    }
    if (!waitForChildren(computer)) {
        error = "My Computer shows nothing";
        return nullptr;
    }
    const HTREEITEM c = drive(computer, "C:");
    if (!c || !open(c)) {
        error = c ? "C: did not open" : "no (C:) under My Computer";
        return nullptr;
    }
    const HTREEITEM folder = child(c, name);
    if (!folder || !open(folder)) {
        error = folder ? name + " did not open" : "no " + name + " under C:";
        return nullptr;
    }
    return folder;
}

} // namespace e2e
