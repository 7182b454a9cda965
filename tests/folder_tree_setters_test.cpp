// The folder tree's property setters, counted in rebuilds: which writes
// rebuild, which only store, which are refused, and what a rebuild without
// a window does. Over a real temporary folder and Wine's shell.
#include "tests/support/HostedTree.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <functional>

using Texts = std::vector<std::string>;

namespace {

// Whether the node stands for the computer ("My Computer").
bool IsComputer(const TTreeNode* node) {
    const TaskItemIDList drives = SpecialFolder(CSIDL_DRIVES);
    LPCITEMIDLIST list = AbsoluteOf(node);
    return list && drives && ILIsEqual(list, drives.get());
}

class FolderTreeSetters : public HostedTreeTest {
  protected:
    void SetUp() override {
        tmp.Dir("sub");
        tmp.Dir("sub\\inner");
        tmp.Dir(".hidden");
        tmp.File("f.txt");
    }
    // The rebuilds `write` causes; no setter returns in the middle of one.
    int Rebuilds(const std::function<void(TFolderTreeViewEx&)>& write) {
        const int before = Internals(Tree()).RebuildCount();
        write(Tree());
        EXPECT_FALSE(Internals(Tree()).Updating()) << "Updating() after the setter returned";
        return Internals(Tree()).RebuildCount() - before;
    }
    Texts TopChildren() { return ChildTexts(Tree(), First()); }
};

TEST_F(FolderTreeSetters, WritingTheHeldValueDoesNotRebuild) {
    Make();
    const std::string root = tmp.Root();
    const std::pair<const char*, std::function<void(TFolderTreeViewEx&)>> writes[] = {
        {"ShowFile", [](auto& t) { t.SetShowFile(false); }},
        {"ShowRootFolder", [](auto& t) { t.SetShowRootFolder(true); }},
        {"ShowIncludeHidden", [](auto& t) { t.SetShowIncludeHidden(true); }},
        {"InfoViewSort", [](auto& t) { t.SetInfoViewSort(false); }},
        {"SelectedDir", [](auto& t) { t.SetSelectedDir(sdNone); }},
        {"RootFolder", [](auto& t) { t.SetRootFolder(rfManual); }},
        {"RootFolderName", [&](auto& t) { t.SetRootFolderName(root); }},
    };
    for (const auto& [what, write] : writes)
        EXPECT_EQ(Rebuilds(write), 0) << what;
    EXPECT_EQ(Internals(Tree()).RebuildCount(), 1) << "the build of the window's creation only";
}

TEST_F(FolderTreeSetters, DisplaySettingsRebuildWhenChanged) {
    Make();
    ASSERT_EQ(TopChildren(), (Texts{".hidden", "sub"}));
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowFile(true); }), 1);
    EXPECT_EQ(TopChildren(), (Texts{".hidden", "sub", "f.txt"}));
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetInfoViewSort(true); }), 1);
    EXPECT_EQ(TopChildren(), (Texts{"f.txt", ".hidden", "sub"}));
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowIncludeHidden(false); }), 1);
    EXPECT_EQ(TopChildren(), (Texts{"f.txt", "sub"}));
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowFile(false); }), 1);
    EXPECT_EQ(TopChildren(), Texts{"sub"});
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowRootFolder(false); }), 1);
    EXPECT_EQ(ChildTexts(Tree(), nullptr), Texts{"sub"}) << "no root node";
    EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), Tree().Items().Count());
}

TEST_F(FolderTreeSetters, BehaviourFlagsNeverRebuild) {
    Make();
    for (bool value : {false, true}) {
        EXPECT_EQ(Rebuilds([&](auto& t) { t.SetShellRun(value); }), 0);
        EXPECT_EQ(Tree().ShellRun(), value);
        EXPECT_EQ(Rebuilds([&](auto& t) { t.SetAutoUpDate(value); }), 0);
        EXPECT_EQ(Tree().AutoUpDate(), value);
        EXPECT_EQ(Rebuilds([&](auto& t) { t.SetContextMenu(value); }), 0);
        EXPECT_EQ(Tree().ContextMenu(), value);
        EXPECT_EQ(Rebuilds([&](auto& t) { t.SetDragAndDrop(value); }), 0);
        EXPECT_EQ(Tree().DragAndDrop(), value);
    }
}

TEST_F(FolderTreeSetters, FileMaskRebuildsOnEveryAssignment) {
    Make([](auto& p) { p.showFile = true; });
    for (const std::vector<std::string>& mask :
         {std::vector<std::string>{".TXT"}, {".TXT"}, {}, {}}) {
        EXPECT_EQ(Rebuilds([&](auto& t) { t.SetFileMask(mask); }), 1)
            << ::testing::PrintToString(mask);
        EXPECT_EQ(Tree().FileMask(), mask);
    }
}

TEST_F(FolderTreeSetters, RootFolderNameRebuildsOnlyUnderAManualRoot) {
    Make();
    const std::string sub = tmp.Path("sub");
    EXPECT_EQ(Rebuilds([&](auto& t) { t.SetRootFolderName(sub); }), 1);
    EXPECT_EQ(NodePath(First()), sub);

    // C:\表示\ソフト\: second bytes 0x5C
    const std::string named = "C:\\\x95\x5C\x8E\xA6\\\x83\x5C\x83\x74\x83\x67\\";
    for (TRootFolder root : {rfDrives, rfDesktop}) {
        Make([root](auto& p) { p.rootFolder = root; });
        const TTreeNode* before = First();
        EXPECT_EQ(Rebuilds([&](auto& t) { t.SetRootFolderName(named); }), 0) << int(root);
        EXPECT_EQ(Tree().RootFolderName(), named);
        EXPECT_EQ(First(), before) << "the tree stays";
    }
    // Stored, it roots the tree once the root becomes manual.
    Make([](auto& p) { p.rootFolder = rfDrives; });
    EXPECT_EQ(Rebuilds([&](auto& t) { t.SetRootFolderName(sub); }), 0);
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetRootFolder(rfManual); }), 1);
    EXPECT_EQ(NodePath(First()), sub);
}

TEST_F(FolderTreeSetters, SelectedDirRebuildsOnlyUnderTheDrivesRoot) {
    for (TRootFolder root : {rfDrives, rfDesktop, rfManual}) {
        Make([root](auto& p) { p.rootFolder = root; });
        const int expected = root == rfDrives ? 1 : 0;
        for (TSelectedDir dir : {sdSystem, sdCurrent}) {
            EXPECT_EQ(Rebuilds([&](auto& t) { t.SetSelectedDir(dir); }), expected)
                << "root " << int(root) << ", value " << int(dir);
            EXPECT_EQ(Tree().SelectedDir(), dir);
        }
    }
}

TEST_F(FolderTreeSetters, VirtualRootRefusesToHideFilesOrItsRoot) {
    Make([](auto& p) { p.rootFolder = rf_Bitbucket; });
    ASSERT_TRUE(Internals(Tree()).VirtualRoot());
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetInfoViewSort(true); }), 0);
    EXPECT_TRUE(Tree().InfoViewSort());
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowFile(true); }), 1);
    EXPECT_TRUE(Tree().ShowFile());
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowFile(false); }), 0);
    EXPECT_TRUE(Tree().ShowFile()) << "files stay under a virtual root";
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowRootFolder(false); }), 0);
    EXPECT_TRUE(Tree().ShowRootFolder());
}

TEST_F(FolderTreeSetters, ManualRootWithFilesKeepsItsRootNode) {
    Make([](auto& p) { p.showFile = true; });
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowRootFolder(false); }), 0);
    EXPECT_TRUE(Tree().ShowRootFolder());
    EXPECT_EQ(NodePath(First()), tmp.Root());
    // Without files, or under the drives, the root node can go.
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowFile(false); }), 1);
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowRootFolder(false); }), 1);
    EXPECT_FALSE(Tree().ShowRootFolder());
    Make([](auto& p) {
        p.rootFolder = rfDrives;
        p.showFile = true;
    });
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetShowRootFolder(false); }), 1);
    EXPECT_FALSE(Tree().ShowRootFolder());
    EXPECT_FALSE(IsComputer(First()));
}

TEST_F(FolderTreeSetters, LeavingAVirtualRootKeepsTheRootFolderShown) {
    Make([](auto& p) { p.showRootFolder = false; });
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetRootFolder(rf_Printers); }), 1);
    EXPECT_TRUE(Internals(Tree()).VirtualRoot());
    EXPECT_TRUE(Tree().ShowRootFolder());
    EXPECT_EQ(Rebuilds([](auto& t) { t.SetRootFolder(rfDrives); }), 1);
    EXPECT_FALSE(Internals(Tree()).VirtualRoot());
    EXPECT_TRUE(Tree().ShowRootFolder());
    EXPECT_TRUE(IsComputer(First())) << "the computer as the root node";
}

TEST_F(FolderTreeSetters, RebuildingSetterCreatesTheMissingWindow) {
    MakeWithoutWindow(ManualRoot(tmp.Root()));
    Tree().SetShellRun(true);
    EXPECT_FALSE(Tree().HandleAllocated()) << "a setter that does not rebuild";
    Tree().SetShowFile(true);
    ASSERT_TRUE(Tree().HandleAllocated());
    EXPECT_FALSE(Internals(Tree()).Updating());
    EXPECT_EQ(NodePath(First()), tmp.Root());
    EXPECT_EQ(TopChildren(), (Texts{".hidden", "sub", "f.txt"}));
    EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), Tree().Items().Count());

    Tree().DestroyHandle();
    ASSERT_FALSE(Tree().HandleAllocated());
    EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), 0);
    Tree().SetFileMask({".TXT"});
    ASSERT_TRUE(Tree().HandleAllocated());
    EXPECT_EQ(TopChildren(), (Texts{".hidden", "sub", "f.txt"}));
    EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), Tree().Items().Count());
}

} // namespace
