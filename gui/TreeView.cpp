#include "gui/TreeView.h"

#include <utility>

namespace {

// A message to the tree's control; none while it has no window.
LRESULT Send(const TCustomTreeView* tree, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    HWND h = tree->Handle();
    return h ? SendMessageW(h, msg, wp, lp) : 0;
}

// The normal image the control keeps for a node (asked for first if it has
// none yet).
int KeptImage(const TTreeNode* node) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE;
    item.hItem = node->ItemId();
    Send(node->TreeView(), TVM_GETITEMW, 0, LPARAM(&item));
    return item.iImage;
}

} // namespace

TCustomTreeView::TCustomTreeView(TComponent* owner, TWinControl* parent, const TTreeViewProps& p)
    : TWinControl(owner, parent, p.control), props_(p), items_(this) {}

void TCustomTreeView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = WC_TREEVIEWW;
    params.ownClass = false;
    params.style |= WS_TABSTOP;
    if (props_.showButtons) params.style |= TVS_HASBUTTONS;
    if (props_.showLines) params.style |= TVS_HASLINES;
    if (props_.showRoot) params.style |= TVS_LINESATROOT;
    if (!props_.hideSelection) params.style |= TVS_SHOWSELALWAYS;
    if (!props_.readOnly) params.style |= TVS_EDITLABELS;
    if (props_.borderStyle == bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::CreateWnd() {
    if (props_.indent > 0) Send(this, TVM_SETINDENT, Screen().Scale(props_.indent), 0);
    if (images_) Send(this, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images_));
    ColorChanged();
}

void TCustomTreeView::ColorChanged() {
    Send(this, TVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(Color())));
    TWinControl::ColorChanged();
}

void TCustomTreeView::SetStyleFlag(bool& field, bool value, DWORD style) {
    if (field == value) return;
    field = value;
    if (!Handle()) return;
    LONG s = GetWindowLongW(Handle(), GWL_STYLE);
    SetWindowLongW(Handle(), GWL_STYLE, value ? (s | style) : (s & ~LONG(style)));
    Invalidate();
}

void TCustomTreeView::SetIndent(int indent) {
    if (props_.indent == indent) return;
    props_.indent = indent;
    Send(this, TVM_SETINDENT, Screen().Scale(indent), 0);
}

void TCustomTreeView::SetHideSelection(bool value) {
    bool show = !props_.hideSelection;
    SetStyleFlag(show, !value, TVS_SHOWSELALWAYS);
    props_.hideSelection = value;
}

void TCustomTreeView::SetReadOnly(bool value) {
    bool edit = !props_.readOnly;
    SetStyleFlag(edit, !value, TVS_EDITLABELS);
    props_.readOnly = value;
}

void TCustomTreeView::SetBorderStyle(TBorderStyle style) {
    if (props_.borderStyle == style) return;
    props_.borderStyle = style;
    if (!Handle()) return;
    LONG ex = GetWindowLongW(Handle(), GWL_EXSTYLE);
    SetWindowLongW(Handle(), GWL_EXSTYLE,
                   style == bsSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void TCustomTreeView::SetImages(HIMAGELIST images) {
    images_ = images;
    Send(this, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images));
}

TTreeNode* TCustomTreeView::Selected() const {
    return items_.GetNode(reinterpret_cast<HTREEITEM>(Send(this, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
    Send(this, TVM_SELECTITEM, TVGN_CARET, LPARAM(node ? node->ItemId() : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
    return items_.GetNode(
        reinterpret_cast<HTREEITEM>(Send(this, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetTopItem(TTreeNode* node) {
    if (node) Send(this, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(node->ItemId()));
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    Send(this, TVM_HITTEST, 0, LPARAM(&hit));
    if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT | TVHT_ONITEMBUTTON)))
        return nullptr;
    return items_.GetNode(hit.hItem);
}

void TCustomTreeView::LabelEdited(TVITEMW& item) {
    TTreeNode* node = reinterpret_cast<TTreeNode*>(item.lParam);
    if (!node) node = items_.GetNode(item.hItem);
    if (node && item.pszText) node->SetText(item.pszText);
}

// The images the control asks for while drawing a row, each asked of
// NodeImageIndex once: finding an icon can be dear, so what is known is the
// control's to keep (TVIF_DI_SETITEM), and this is the one place that keeps
// it. A control that asks for both images of every row it draws (Wine's
// does) gets the selected one for the selected row only: the others get
// their normal image in its place, and are asked again once selected.
void TCustomTreeView::GiveImages(TTreeNode* node, TVITEMW& item) {
    UINT known = 0;
    if (item.mask & TVIF_IMAGE) {
        item.iImage = NodeImageIndex(node, false);
        if (item.iImage != I_IMAGECALLBACK) known |= TVIF_IMAGE;
    }
    if (item.mask & TVIF_SELECTEDIMAGE) {
        if (Selected() == node) {
            item.iSelectedImage = NodeImageIndex(node, true);
            if (item.iSelectedImage != I_IMAGECALLBACK) known |= TVIF_SELECTEDIMAGE;
        } else {
            item.iSelectedImage = (item.mask & TVIF_IMAGE) ? item.iImage : KeptImage(node);
        }
    }
    item.mask &= ~UINT(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
    if (known) item.mask |= known | TVIF_DI_SETITEM;
}

bool TCustomTreeView::HandleNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case TVN_DELETEITEMW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        auto* node = reinterpret_cast<TTreeNode*>(nm->itemOld.lParam);
        if (node) items_.ItemDeleted(node);
        return true;
    }
    case TVN_ITEMEXPANDINGW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        auto* node = reinterpret_cast<TTreeNode*>(nm->itemNew.lParam);
        ++expandingNotices_;
        result = (nm->action == TVE_EXPAND && node && !CanExpand(node)) ? TRUE : FALSE;
        return true;
    }
    case TVN_SELCHANGEDW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(header);
        Change(reinterpret_cast<TTreeNode*>(nm->itemNew.lParam));
        return true;
    }
    case TVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
        auto* node = reinterpret_cast<TTreeNode*>(info->item.lParam);
        if (node && (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)))
            GiveImages(node, info->item);
        return true;
    }
    case TVN_BEGINLABELEDITW:
        editingLabel_ = true;
        result = FALSE;
        return true;
    case TVN_ENDLABELEDITW:
        // The node's text is set here, not by the control.
        result = FALSE;
        if (!std::exchange(editingLabel_, false)) return true;
        LabelEdited(reinterpret_cast<NMTVDISPINFOW*>(header)->item);
        return true;
    case NM_DBLCLK:
        DblClick();
        return false;
    case NM_CLICK:
        Click();
        return false;
    default:
        return false;
    }
}

LRESULT TCustomTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY: {
        // The control deletes its items here and tells the parent; nodes
        // whose deletion no parent handed on are freed all the same.
        LRESULT result = TWinControl::WndProc(msg, wp, lp);
        items_.ReleaseAll();
        return result;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}
