// A folder tree made on its own for a test: a plain host form owning one
// TFolderTreeViewEx, with helpers that read the tree's nodes back as texts
// and file-system paths. Header only; link kelvane_folder_tree and
// kelvane_gui (or kelvane_app).
#pragma once

#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/ShellItems.h"
#include "folder_tree/TreeItemData.h"
#include "gui/Form.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

inline void InitTreeViewClasses() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

// The form's window, and so the tree's, exists only after Create().
struct FolderTreeHost {
    explicit FolderTreeHost(const TFolderTreeViewExProps& props) {
        InitTreeViewClasses();
        tree = std::make_unique<TFolderTreeViewEx>(&form, &form, props);
    }
    FolderTreeHost& Create() {
        form.Create();
        return *this;
    }
    TForm form{nullptr, {.control = {.name = "TFolderTreeHost", .width = 320, .height = 240}}};
    std::unique_ptr<TFolderTreeViewEx> tree;
};

// Props rooting the tree at `folder` (which must outlive the tree).
inline TFolderTreeViewExProps ManualRoot(const std::string& folder) {
    TFolderTreeViewExProps p;
    p.rootFolder = rfManual;
    p.rootFolderName = folder.c_str();
    return p;
}

// The children of `parent` in order; the top-level nodes for null.
inline std::vector<TTreeNode*> Children(TFolderTreeViewEx& tree, TTreeNode* parent) {
    std::vector<TTreeNode*> nodes;
    for (TTreeNode* n = parent ? parent->GetFirstChild() : tree.Items().GetFirstNode(); n;
         n = n->GetNextSibling())
        nodes.push_back(n);
    return nodes;
}

inline std::vector<std::string> ChildTexts(TFolderTreeViewEx& tree, TTreeNode* parent) {
    std::vector<std::string> texts;
    for (TTreeNode* n : Children(tree, parent)) texts.push_back(n->Text());
    return texts;
}

inline TTreeNode* FindChild(TFolderTreeViewEx& tree, TTreeNode* parent, const std::string& text) {
    for (TTreeNode* n : Children(tree, parent))
        if (n->Text() == text) return n;
    return nullptr;
}

// The file-system path of a node's record (empty for virtual items).
inline std::string NodePath(const TTreeNode* node) {
    TTVITEMDATA* data = TFolderTreeViewEx::NodeData(node);
    return data && data->AbsoluteID ? ItemIDListToPath(data->AbsoluteID.get()) : std::string();
}
