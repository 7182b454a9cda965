#include "tests/remote/controls.h"

#include <algorithm>

namespace remote {
namespace {

// Room for a text the control says is `length` long, with margin in case the
// count is in characters and the bytes of a double-byte code page are more.
size_t textRoom(LRESULT length) {
    return static_cast<size_t>(std::max<LRESULT>(length, 0)) * 2 + 16;
}

std::string readString(const RemoteBuffer& buffer, size_t offset) {
    std::string text(buffer.size() - offset, '\0');
    buffer.read(offset, text.data(), text.size());
    if (const size_t end = text.find('\0'); end != std::string::npos) text.resize(end);
    return text;
}

} // namespace

std::vector<ToolButton> readToolBar(HWND toolbar) {
    const RemoteWindow bar(toolbar);
    const auto count = static_cast<int>(bar.send(TB_BUTTONCOUNT));
    RemoteBuffer data = bar.allocate(std::max(sizeof(TBBUTTON), sizeof(RECT)));

    std::vector<ToolButton> buttons;
    for (int i = 0; i < count; ++i) {
        if (!bar.send(TB_GETBUTTON, i, data.address()))
            throw Error("TB_GETBUTTON " + std::to_string(i) + " failed");
        const auto raw = data.get<TBBUTTON>();
        ToolButton button;
        button.command = raw.idCommand;
        button.state = raw.fsState;
        button.style = raw.fsStyle;
        button.image = raw.iBitmap;

        if (bar.send(TB_GETITEMRECT, i, data.address())) button.rect = data.get<RECT>();

        if (!button.separator()) {
            const LRESULT length = bar.send(TB_GETBUTTONTEXTA, button.command, 0);
            if (length > 0) {
                RemoteBuffer text = bar.allocate(textRoom(length));
                text.fill(0);
                bar.send(TB_GETBUTTONTEXTA, button.command, text.address());
                button.text = readString(text, 0);
            }
        }
        buttons.push_back(std::move(button));
    }
    return buttons;
}

std::string readStatusText(HWND statusbar, int part) {
    const RemoteWindow bar(statusbar);
    const LRESULT length = LOWORD(bar.send(SB_GETTEXTLENGTHA, part));
    RemoteBuffer text = bar.allocate(textRoom(length));
    text.fill(0);
    bar.send(SB_GETTEXTA, part, text.address());
    return readString(text, 0);
}

bool isSimpleStatus(HWND statusbar) {
    return RemoteWindow(statusbar).send(SB_ISSIMPLE) != 0;
}

RemoteTree::RemoteTree(HWND tree)
    : window_(tree), buffer_(window_.allocate(sizeof(TVITEMA) + kTextBytes)) {}

HTREEITEM RemoteTree::nextItem(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(
        window_.send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

TreeItem RemoteTree::item(HTREEITEM handle) const {
    TVITEMA query{};
    query.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE | TVIF_CHILDREN | TVIF_IMAGE |
                 TVIF_SELECTEDIMAGE | TVIF_PARAM;
    query.hItem = handle;
    query.stateMask = 0xFFFF;
    query.pszText = reinterpret_cast<LPSTR>(buffer_.address(sizeof(TVITEMA)));
    query.cchTextMax = kTextBytes;
    buffer_.put(query);
    buffer_.put('\0', sizeof(TVITEMA));
    if (!window_.send(TVM_GETITEMA, 0, buffer_.address())) throw Error("TVM_GETITEMA failed");

    const auto answer = buffer_.get<TVITEMA>();
    TreeItem item;
    item.handle = handle;
    item.state = answer.state;
    item.children = answer.cChildren;
    item.image = answer.iImage;
    item.selectedImage = answer.iSelectedImage;
    item.param = answer.lParam;
    // The control may point pszText at its own copy instead of filling ours.
    if (answer.pszText && answer.pszText != LPSTR_TEXTCALLBACKA)
        item.text = readRemoteString(window_.process(), answer.pszText, kTextBytes);
    return item;
}

std::vector<TreeItem> RemoteTree::children(HTREEITEM parent) const {
    std::vector<TreeItem> items;
    for (HTREEITEM h = parent ? firstChild(parent) : root(); h; h = nextSibling(h))
        items.push_back(item(h));
    return items;
}

std::optional<RECT> RemoteTree::itemRect(HTREEITEM item, bool textOnly) const {
    // TVM_GETITEMRECT takes the item's handle in the first bytes of the RECT.
    buffer_.put(RECT{});
    buffer_.put(item);
    if (!window_.send(TVM_GETITEMRECT, textOnly ? TRUE : FALSE, buffer_.address()))
        return std::nullopt;
    return buffer_.get<RECT>();
}

UINT RemoteTree::count() const {
    return static_cast<UINT>(window_.send(TVM_GETCOUNT));
}

} // namespace remote
