// A folder tree made on its own for a test: a plain host form owning one
// TFolderTreeViewEx, with helpers that read the tree's nodes back as texts
// and file-system paths. Header only; link kelvane_folder_tree and
// kelvane_gui (or kelvane_app).
#pragma once

#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/FolderTreeTestAccess.h"
#include "folder_tree/ShellItems.h"
#include "folder_tree/TreeItemData.h"
#include "gui/Form.h"
#include "tests/support/Text.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>
#include <vector>

// The form's window, and so the tree's, exists only after Create(). The
// services must outlive the host.
struct FolderTreeHost {
    explicit FolderTreeHost(const TFolderTreeViewExProps& props,
                            TTreeServices& services = SystemTreeServices()) {
        tree = std::make_unique<TWindowed<TFolderTreeViewEx>>(&form, &form, props, services);
    }
    FolderTreeHost& Create() {
        form.Create();
        return *this;
    }
    TWindowed<TForm> form{nullptr,
                          {.control = {.name = "TFolderTreeHost", .width = 320, .height = 240}}};
    std::unique_ptr<TFolderTreeViewEx> tree;
};

// The members a tree introduces for descendants, called on any tree as a
// descendant of its class would call them.
class TDescendantCalls {
  public:
    explicit TDescendantCalls(TFolderTreeViewEx& tree) : tree_(tree) {}
    bool LocatePath(const std::wstring& path, bool makeTop, bool select) {
        return (tree_.*Members::locatePath)(path, makeTop, select);
    }
    bool LocatePath(const std::string& path, bool makeTop, bool select) {
        return LocatePath(Wide(path), makeTop, select);
    }
    std::string GetSelectedFolderName() { return (tree_.*Members::selectedFolderName)(); }
    void RefreshTree() { (tree_.*Members::refreshTree)(); }
    void StartLabelEdit(TTreeNode* node) { (tree_.*Members::startLabelEdit)(node); }

  private:
    // Named through a descendant, as access to protected members asks.
    struct Members : TFolderTreeViewEx {
        static constexpr bool (TFolderTreeViewEx::*locatePath)(const std::wstring&, bool,
                                                               bool) = &Members::LocatePath;
        static constexpr auto selectedFolderName = &Members::GetSelectedFolderName;
        static constexpr auto refreshTree = &Members::RefreshTree;
        static constexpr auto startLabelEdit = &Members::StartLabelEdit;
    };
    TFolderTreeViewEx& tree_;
};

inline TDescendantCalls Descendant(TFolderTreeViewEx& tree) {
    return TDescendantCalls(tree);
}

// Props rooting the tree at `folder` (which must outlive the tree).
inline TFolderTreeViewExProps ManualRoot(const std::string& folder) {
    TFolderTreeViewExProps p;
    p.rootFolder = rfManual;
    p.rootFolderName = folder.c_str();
    return p;
}

// The children of `parent` in order; the top-level nodes for null. Node
// texts are compared as ANSI texts where tests name them so.
inline std::vector<TTreeNode*> Children(TCustomTreeView& tree, TTreeNode* parent) {
    std::vector<TTreeNode*> nodes;
    for (TTreeNode* n = parent ? parent->GetFirstChild() : tree.Items().GetFirstNode(); n;
         n = n->GetNextSibling())
        nodes.push_back(n);
    return nodes;
}

inline std::vector<std::string> ChildTexts(TCustomTreeView& tree, TTreeNode* parent) {
    std::vector<std::string> texts;
    for (TTreeNode* n : Children(tree, parent))
        texts.push_back(Narrow(n->Text()));
    return texts;
}

inline TTreeNode* FindChild(TFolderTreeViewEx& tree, TTreeNode* parent, const std::string& text) {
    for (TTreeNode* n : Children(tree, parent))
        if (n->Text() == Wide(text)) return n;
    return nullptr;
}

// A list the shell allocated, freed through the task allocator.
struct TaskMemFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using TaskItemIDList = std::unique_ptr<ITEMIDLIST, TaskMemFree>;

// The item of a special folder (CSIDL_DRIVES: the computer); null if none.
inline TaskItemIDList SpecialFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    SHGetSpecialFolderLocation(nullptr, csidl, &list);
    return TaskItemIDList(list);
}

// The absolute list of a node's item; null without a record.
inline LPCITEMIDLIST AbsoluteOf(const TTreeNode* node) {
    TTVITEMDATA* data = NodeData(node);
    return data ? data->AbsoluteID.get() : nullptr;
}

// The file-system path of a node's record (empty for virtual items).
inline std::string NodePath(const TTreeNode* node) {
    TTVITEMDATA* data = NodeData(node);
    return data && data->AbsoluteID ? ItemIDListToPath(data->AbsoluteID.get()) : std::string();
}

// The file-system path of a node's item in UTF-16, as the shell gives it
// (empty for virtual items): it tells nodes apart whose labels the code page
// cannot write.
inline std::wstring NodeWidePath(const TTreeNode* node) {
    TTVITEMDATA* data = NodeData(node);
    wchar_t* path = nullptr;
    if (!data || !data->AbsoluteID ||
        FAILED(SHGetNameFromIDList(data->AbsoluteID.get(), SIGDN_FILESYSPATH, &path)))
        return {};
    std::wstring text = path;
    CoTaskMemFree(path);
    return text;
}

// The child of `parent` whose own list is the item at `path`, or null.
inline TTreeNode* ChildAt(TFolderTreeViewEx& tree, TTreeNode* parent, const std::wstring& path) {
    for (TTreeNode* n : Children(tree, parent))
        if (NodeWidePath(n) == path) return n;
    return nullptr;
}

// The child of `parent` whose item its folder calls `name` (SHGDN_INFOLDER,
// in UTF-16), whatever the node's own list; null if none.
inline TTreeNode* ChildNamed(TFolderTreeViewEx& tree, TTreeNode* parent, const std::wstring& name) {
    for (TTreeNode* n : Children(tree, parent)) {
        TTVITEMDATA* data = NodeData(n);
        STRRET text{};
        if (!data ||
            FAILED(data->ParentFolder->GetDisplayNameOf(data->RelativeID.get(), SHGDN_INFOLDER,
                                                        &text)) ||
            text.uType != STRRET_WSTR)
            continue;
        const bool same = name == text.pOleStr;
        CoTaskMemFree(text.pOleStr);
        if (same) return n;
    }
    return nullptr;
}
