// The node list of a tree view (gui/TreeView.h): node objects behind the
// control's items, each carrying a caption, a has-children flag and the data
// it owns (its images are the control's). The list owns its nodes: a node
// goes when its item is deleted, and whatever is left goes when the tree's
// window goes, whoever its parent is.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <unordered_map>

class TCustomTreeView;

// Data a node owns: freed with the node through the deleter of its type.
using TNodeDataOwner = std::unique_ptr<void, void (*)(void*)>;

template <class T> TNodeDataOwner OwnNodeData(std::unique_ptr<T> data) {
    return TNodeDataOwner(data.release(), [](void* p) { delete static_cast<T*>(p); });
}

// One item of the control: its place and state are read from the control
// and changes are sent to it.
class TTreeNode {
  public:
    TTreeNode(TCustomTreeView* owner, std::wstring text, TNodeDataOwner owned)
        : owner_(owner), text_(std::move(text)), owned_(std::move(owned)) {}
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    HTREEITEM ItemId() const { return item_; }
    TCustomTreeView* TreeView() const { return owner_; }

    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& text);
    void* Data() const { return owned_.get(); }
    // I_IMAGECALLBACK: asked of the tree view when next drawn.
    void SetImages(int image, int selected);
    bool HasChildren() const;
    // Shows or hides the expand button, whatever children the node has.
    void SetHasChildren(bool value);

    TTreeNode* Parent() const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetNextSibling() const;
    int Level() const;

    bool Expanded() const;
    void Expand(bool recurse);
    void Collapse(bool recurse);
    // Sorts the direct children with a tree-view comparison callback.
    void CustomSort(PFNTVCOMPARE compare, LPARAM data);
    void DeleteChildren();
    void Delete();

  private:
    friend class TTreeNodes;

    TCustomTreeView* owner_;
    HTREEITEM item_ = nullptr;
    std::wstring text_;
    TNodeDataOwner owned_;
    bool hasChildren_ = false;
};

// What a node starts with; inserted in one step. Data given in `owned`
// becomes the node's data and is freed with it. An image given as
// I_IMAGECALLBACK is asked of the tree view when the control first needs it.
struct TNodeValues {
    std::wstring text;
    TNodeDataOwner owned{nullptr, nullptr};
    int imageIndex = -1;
    int selectedIndex = -1;
    int overlayIndex = -1;
    bool hasChildren = false;
};

// The nodes of one tree.
class TTreeNodes {
  public:
    explicit TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}

    // Adds a node below `parent` (at the top level when null), after the
    // sibling `after` or at TVI_FIRST or TVI_LAST.
    TTreeNode* Add(TTreeNode* parent, TNodeValues values, HTREEITEM after = TVI_LAST);
    TTreeNode* GetFirstNode() const;
    int Count() const { return int(nodes_.size()); }
    void Clear();
    // Sorts the top-level nodes with a tree-view comparison callback.
    void CustomSort(PFNTVCOMPARE compare, LPARAM data);

    // The node object behind an item, or null. Found without asking the
    // control: a walk over many siblings asks it once per step, not twice.
    TTreeNode* GetNode(HTREEITEM item) const;
    // Called when the control deletes an item: frees its node object.
    void ItemDeleted(TTreeNode* node);
    // Frees every node left, when the window that held their items is gone.
    void ReleaseAll() { nodes_.clear(); }

  private:
    TCustomTreeView* owner_;
    std::unordered_map<HTREEITEM, std::unique_ptr<TTreeNode>> nodes_; // by their items
};
