// Reading common controls of another process: tool bar buttons, status bar
// text and tree-view items. Texts are the bytes of the ANSI code page, as the
// controls' "A" messages give them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/remote/remote_memory.h"

namespace remote {

// One tool bar button: TB_GETBUTTON, TB_GETBUTTONTEXTA and TB_GETITEMRECT.
struct ToolButton {
    int command = 0;          // idCommand
    BYTE state = 0;           // fsState: TBSTATE_*
    BYTE style = 0;           // fsStyle: BTNS_*
    int image = 0;            // iBitmap
    std::string text;         // empty for separators and buttons without text
    std::optional<RECT> rect; // tool bar client coordinates; none if hidden

    bool separator() const { return (style & BTNS_SEP) != 0; }
    bool enabled() const { return (state & TBSTATE_ENABLED) != 0; }
    bool hidden() const { return (state & TBSTATE_HIDDEN) != 0; }
};

// All buttons of `toolbar`, in order. A button's text is looked up by its
// command id, so two buttons sharing an id both show the first one's text.
std::vector<ToolButton> readToolBar(HWND toolbar);

// SB_GETTEXTA of `part`. In simple mode the simple text (set with
// SB_SIMPLEID) is read back with part 0.
std::string readStatusText(HWND statusbar, int part = 0);

// SB_ISSIMPLE.
bool isSimpleStatus(HWND statusbar);

// One tree-view item: TVM_GETITEMA with text, state and cChildren.
struct TreeItem {
    HTREEITEM handle = nullptr;
    std::string text;
    UINT state = 0;   // TVIS_*
    int children = 0; // cChildren: 0, 1 or I_CHILDRENCALLBACK as the control reports it
    int image = 0;
    int selectedImage = 0;
    LPARAM param = 0;
};

// A tree-view of another process. Keeps one buffer in that process for the
// item it reads.
class RemoteTree {
  public:
    explicit RemoteTree(HWND tree);

    // TVM_GETNEXTITEM with `relation` (TVGN_*); nullptr when there is none.
    HTREEITEM nextItem(HTREEITEM item, UINT relation) const;
    HTREEITEM root() const { return nextItem(nullptr, TVGN_ROOT); }
    HTREEITEM firstChild(HTREEITEM item) const { return nextItem(item, TVGN_CHILD); }
    HTREEITEM nextSibling(HTREEITEM item) const { return nextItem(item, TVGN_NEXT); }
    HTREEITEM selection() const { return nextItem(nullptr, TVGN_CARET); }

    TreeItem item(HTREEITEM item) const;

    // The items directly under `parent`, in order; the top-level items when
    // `parent` is nullptr.
    std::vector<TreeItem> children(HTREEITEM parent) const;

    // TVM_GETITEMRECT in the tree's client coordinates; none when the item is
    // not visible (scrolled away or under a collapsed parent).
    std::optional<RECT> itemRect(HTREEITEM item, bool textOnly = false) const;

    UINT count() const; // TVM_GETCOUNT

  private:
    static constexpr size_t kTextBytes = 1024;

    RemoteWindow window_;
    mutable RemoteBuffer buffer_; // a TVITEMA followed by its text
};

} // namespace remote
