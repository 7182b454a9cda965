#include "gui/TreeNodes.h"

#include "gui/TreeView.h"

#include <memory>
#include <utility>

namespace {

// A message to the tree's control; none while it has no window.
LRESULT Send(const TCustomTreeView* tree, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    HWND h = tree->Handle();
    return h ? SendMessageW(h, msg, wp, lp) : 0;
}

// The node behind an item that the control answered with.
TTreeNode* NodeOf(TCustomTreeView* tree, LRESULT item) {
    return tree->Items().GetNode(reinterpret_cast<HTREEITEM>(item));
}

} // namespace

// ---- TTreeNode ----

void TTreeNode::SetText(const std::wstring& text) {
    text_ = text;
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_TEXT;
    tv.hItem = item_;
    tv.pszText = const_cast<wchar_t*>(text_.c_str());
    if (item_) Send(owner_, TVM_SETITEMW, 0, LPARAM(&tv));
}

void TTreeNode::SetImages(int image, int selected) {
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.hItem = item_;
    tv.iImage = image;
    tv.iSelectedImage = selected;
    if (item_) Send(owner_, TVM_SETITEMW, 0, LPARAM(&tv));
}

bool TTreeNode::HasChildren() const {
    if (!item_) return hasChildren_;
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
    tv.hItem = item_;
    Send(owner_, TVM_GETITEMW, 0, LPARAM(&tv));
    return tv.cChildren != 0;
}

void TTreeNode::SetHasChildren(bool value) {
    hasChildren_ = value;
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
    tv.hItem = item_;
    tv.cChildren = value ? 1 : 0;
    if (item_) Send(owner_, TVM_SETITEMW, 0, LPARAM(&tv));
}

TTreeNode* TTreeNode::Parent() const {
    return NodeOf(owner_, Send(owner_, TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(item_)));
}

TTreeNode* TTreeNode::GetFirstChild() const {
    return NodeOf(owner_, Send(owner_, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(item_)));
}

TTreeNode* TTreeNode::GetNextSibling() const {
    return NodeOf(owner_, Send(owner_, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(item_)));
}

int TTreeNode::Level() const {
    int level = 0;
    for (TTreeNode* p = Parent(); p; p = p->Parent())
        ++level;
    return level;
}

bool TTreeNode::Expanded() const {
    return (Send(owner_, TVM_GETITEMSTATE, WPARAM(item_), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool recurse) {
    const bool wasOpen = Expanded();
    const int notices = owner_->expandingNotices_;
    Send(owner_, TVM_EXPAND, TVE_EXPAND, LPARAM(item_));
    if (!wasOpen && Expanded() && owner_->expandingNotices_ == notices)
        owner_->ExpandedWithoutNotice(this);
    if (recurse)
        for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling())
            c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    if (recurse)
        for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling())
            c->Collapse(true);
    const bool wasOpen = Expanded();
    const int notices = owner_->expandingNotices_;
    Send(owner_, TVM_EXPAND, TVE_COLLAPSE, LPARAM(item_));
    if (wasOpen && !Expanded() && owner_->expandingNotices_ == notices)
        owner_->CollapsedWithoutNotice(this);
}

void TTreeNode::CustomSort(PFNTVCOMPARE compare, LPARAM data) {
    TVSORTCB sort{item_, compare, data};
    Send(owner_, TVM_SORTCHILDRENCB, FALSE, LPARAM(&sort));
}

void TTreeNode::DeleteChildren() {
    while (TTreeNode* c = GetFirstChild())
        c->Delete();
}

void TTreeNode::Delete() {
    Send(owner_, TVM_DELETEITEM, 0, LPARAM(item_));
}

// ---- TTreeNodes ----

TTreeNode* TTreeNodes::Add(TTreeNode* parent, TNodeValues v, HTREEITEM after) {
    if (!owner_->Handle()) return nullptr;
    auto node = std::make_unique<TTreeNode>(owner_, std::move(v.text), std::move(v.owned));
    node->hasChildren_ = v.hasChildren;
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent->ItemId() : TVI_ROOT;
    ins.hInsertAfter = after;
    TVITEMW& item = ins.item;
    item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    item.pszText = const_cast<wchar_t*>(node->text_.c_str());
    item.iImage = v.imageIndex;
    item.iSelectedImage = v.selectedIndex;
    item.cChildren = v.hasChildren ? 1 : 0;
    item.lParam = reinterpret_cast<LPARAM>(node.get());
    if (v.overlayIndex >= 0) {
        item.mask |= TVIF_STATE;
        item.stateMask = TVIS_OVERLAYMASK;
        item.state = INDEXTOOVERLAYMASK(v.overlayIndex + 1);
    }
    auto handle = reinterpret_cast<HTREEITEM>(Send(owner_, TVM_INSERTITEMW, 0, LPARAM(&ins)));
    if (!handle) return nullptr;
    node->item_ = handle;
    TTreeNode* added = node.get();
    nodes_[handle] = std::move(node);
    return added;
}

void TTreeNodes::ItemDeleted(TTreeNode* node) {
    auto it = nodes_.find(node->ItemId());
    if (it != nodes_.end() && it->second.get() == node) nodes_.erase(it);
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM item) const {
    auto it = item ? nodes_.find(item) : nodes_.end();
    return it == nodes_.end() ? nullptr : it->second.get();
}

TTreeNode* TTreeNodes::GetFirstNode() const {
    return NodeOf(owner_, Send(owner_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

void TTreeNodes::Clear() {
    Send(owner_, TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
}

void TTreeNodes::CustomSort(PFNTVCOMPARE compare, LPARAM data) {
    TVSORTCB sort{TVI_ROOT, compare, data};
    Send(owner_, TVM_SORTCHILDRENCB, FALSE, LPARAM(&sort));
}
