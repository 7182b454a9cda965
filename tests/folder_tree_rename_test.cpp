// In-place renaming on the folder tree: an edit started the way the shell's
// rename command starts it, ended with TVM_ENDEDITLABELNOW (after which
// Wine reports the end twice), renames the item through its shell folder:
// over fake folders where the exact call and its stops must be shown, and
// over Wine's shell on real folders.
#include "tests/support/FakeShell.h"
#include "tests/support/HostedTree.h"
#include "tests/support/Text.h"

#include <gtest/gtest.h>

namespace {

TFolderTreeViewExProps Rooted(TFolderTreeViewExProps p) {
    p.tree.control.width = 300;
    p.tree.control.height = 220;
    return p;
}

// Edits `node`'s label to `text` (null: the edit is cancelled); false when
// no edit could be started.
bool EditLabelW(TFolderTreeViewEx& tree, TTreeNode* node, const wchar_t* text) {
    tree.SetSelected(node);
    Descendant(tree).StartLabelEdit(node);
    HWND edit = TreeView_GetEditControl(tree.Handle());
    if (!edit) return false;
    if (text) SetWindowTextW(edit, text);
    SendMessageA(tree.Handle(), TVM_ENDEDITLABELNOW, text ? FALSE : TRUE, 0);
    return true;
}
bool EditLabel(TFolderTreeViewEx& tree, TTreeNode* node, const char* text) {
    return EditLabelW(tree, node, text ? Wide(text).c_str() : nullptr);
}

bool EditStyle(const TFolderTreeViewEx& tree) {
    return (GetWindowLongA(tree.Handle(), GWL_STYLE) & TVS_EDITLABELS) != 0;
}

using FolderTreeRename = HostedTreeTest;

} // namespace

TEST_F(FolderTreeRename, TheEditEndsInOneSetNameOfOrInNoneAndTheLabelShowsTheItemsName) {
    tmp.Dir("alpha");
    const std::wstring alphaPath = Wide(tmp.Path("alpha"));
    struct Case {
        const char* name;
        const char* text;
        bool autoUpDate, parsable;
        SFGAOF attributes;
        HRESULT setNameResult;
        bool setName, refreshed;
    };
    const Case cases[] = {
        {"renamed", "gamma", true, true, SFGAO_CANRENAME, S_OK, true, true},
        {"refused by the folder", "gamma", true, true, SFGAO_CANRENAME, E_FAIL, true, false},
        {"not renamable", "gamma", true, true, 0, S_OK, false, false},
        {"without AutoUpDate", "gamma", false, true, SFGAO_CANRENAME, S_OK, false, false},
        {"cancelled", nullptr, true, true, SFGAO_CANRENAME, S_OK, false, false},
        {"not parsable", "gamma", true, false, SFGAO_CANRENAME, S_OK, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingMalloc& malloc = Outliving<CountingMalloc>();
        FakeShellFolder& folder = Outliving<FakeShellFolder>();
        folder.attributesOut = c.attributes;
        folder.setNameResult = c.setNameResult;
        folder.setNameAllocator = &malloc;
        if (c.parsable)
            for (int k = 0; k < 4; ++k)
                folder.displayNames.push_back(DisplayNameReply::Wide(alphaPath));
        TFolderTreeViewEx& tree = Make(Rooted(ManualRoot(tmp.Root())));
        tree.SetAutoUpDate(c.autoUpDate);
        TTreeNode* node = FindChild(tree, First(), "alpha");
        ASSERT_NE(node, nullptr);
        tree.SetSelected(node);
        const std::string item = ItemIDListBytes(NodeData(node)->RelativeID.get());
        NodeData(node)->ParentFolder = &folder;
        services.malloc = &malloc;
        const bool edited = EditLabel(tree, node, c.text);
        services.malloc = nullptr;
        ASSERT_TRUE(edited);
        EXPECT_FALSE(EditStyle(tree)) << "the lent edit style goes back";
        ASSERT_EQ(folder.setNames.size(), c.setName ? 1u : 0u) << "one rename per edit";
        if (c.setName) {
            EXPECT_EQ(folder.setNames[0].owner, tree.Handle());
            EXPECT_EQ(folder.setNames[0].item, item);
            EXPECT_EQ(folder.setNames[0].name, L"gamma");
            EXPECT_EQ(folder.setNames[0].flags, SHGDNF(0x0060));
        }
        // The list SetNameOf handed back went back to the shell allocator.
        ASSERT_EQ(folder.renamedListsHandedOut.size(),
                  c.setName && c.setNameResult == S_OK ? 1u : 0u);
        for (void* block : folder.renamedListsHandedOut)
            EXPECT_FALSE(malloc.Live(block));
        EXPECT_EQ(folder.References() == 0, c.refreshed) << "a refresh reads items anew";
        EXPECT_EQ(ChildTexts(tree, First()), std::vector<std::string>{"alpha"});
        Destroy();
        EXPECT_EQ(folder.References(), 0);
        EXPECT_EQ(malloc.References(), 0);
    }
}

TEST_F(FolderTreeRename, TheDrivesTopNodeAndVirtualRootsNeverReachSetNameOf) {
    struct Case {
        const char* name;
        TRootFolder root;
        bool child; // the first child of the top node instead
        bool setName;
    };
    const Case cases[] = {
        {"the drives' top node", rfDrives, false, false},
        {"a drive", rfDrives, true, true},
        {"the control panel", rf_Controls, false, false},
        {"the bin", rf_Bitbucket, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeShellFolder& folder = Outliving<FakeShellFolder>();
        folder.attributesOut = SFGAO_CANRENAME;
        folder.setNameResult = E_FAIL;
        for (int k = 0; k < 4; ++k)
            folder.displayNames.push_back(DisplayNameReply::Wide(L"C:\\"));
        TFolderTreeViewExProps p;
        p.rootFolder = c.root;
        TFolderTreeViewEx& tree = Make(Rooted(p));
        TTreeNode* node = First();
        ASSERT_NE(node, nullptr);
        if (c.child) {
            node->Expand(false);
            node = node->GetFirstChild();
            ASSERT_NE(node, nullptr);
        }
        const std::wstring label = node->Text();
        tree.SetSelected(node);
        NodeData(node)->ParentFolder = &folder;
        ASSERT_TRUE(EditLabel(tree, node, "renamed"));
        EXPECT_EQ(folder.setNames.size(), c.setName ? 1u : 0u);
        EXPECT_EQ(node->Text(), label);
    }
}

TEST_F(FolderTreeRename, WinesShellRenamesOnDiskAndRefusesClashesAndInvalidNames) {
    tmp.Dir("alpha");
    tmp.Dir("beta");
    TFolderTreeViewEx& tree = Make(Rooted(ManualRoot(tmp.Root())));
    auto onDisk = [&](const std::wstring& name) {
        return GetFileAttributesW((Wide(tmp.Root()) + L"\\" + name).c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    };

    ASSERT_TRUE(EditLabel(tree, FindChild(tree, First(), "alpha"), "gamma"));
    EXPECT_TRUE(onDisk(L"gamma"));
    EXPECT_FALSE(onDisk(L"alpha"));
    EXPECT_EQ(ChildTexts(tree, First()), (std::vector<std::string>{"beta", "gamma"}));

    for (const char* refused : {"gamma", "q?", ""}) {
        SCOPED_TRACE(refused);
        ASSERT_TRUE(EditLabel(tree, FindChild(tree, First(), "beta"), refused));
        EXPECT_TRUE(onDisk(L"beta"));
        EXPECT_EQ(ChildTexts(tree, First()), (std::vector<std::string>{"beta", "gamma"}));
    }

    // A name typed in the code page reaches the shell as the same name.
    ASSERT_TRUE(EditLabel(tree, FindChild(tree, First(), "beta"), "新しい名前"));
    EXPECT_TRUE(onDisk(L"新しい名前"));
    EXPECT_FALSE(onDisk(L"beta"));
    EXPECT_NE(FindChild(tree, First(), "新しい名前"), nullptr);
    // And one the code page cannot write reaches it exactly.
    const std::wstring exact = L"Café〜😀"; // outside the assertions, which quote their code
    ASSERT_TRUE(EditLabelW(tree, FindChild(tree, First(), "新しい名前"), exact.c_str()));
    EXPECT_TRUE(onDisk(exact));
    ASSERT_NE(ChildNamed(tree, First(), exact), nullptr);
    EXPECT_EQ(ChildNamed(tree, First(), exact)->Text(), exact);
}
