// The folder tree following the file system over real temporary folders
// changed from Linux, as another program would: names made, removed and
// renamed show in place with what the user opened and selected kept, a
// burst is one update, closed nodes and removable drives hold no watch and
// are read again on expansion and by F5, and no handle outlives the tree.
#include "tests/support/HostedTree.h"
#include "tests/support/UnixShell.h"

#include <gtest/gtest.h>
#include <winternl.h>

using Texts = std::vector<std::string>;

namespace {

// Handles the process holds, as the system's handle table lists them.
long OwnHandleCount() {
    struct Entry {
        ULONG process;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<ULONG_PTR> table(1 << 20);
    if (NtQuerySystemInformation(SYSTEM_INFORMATION_CLASS(16), table.data(),
                                 ULONG(table.size() * sizeof(ULONG_PTR)), nullptr))
        return -1;
    const ULONG count = ULONG(table[0]);
    const auto* entries = reinterpret_cast<const Entry*>(table.data() + 1);
    long own = 0;
    for (ULONG i = 0; i < count; ++i)
        own += entries[i].process == GetCurrentProcessId();
    return own;
}

class FolderTreeWatch : public HostedTreeTest {
  protected:
    void SetUp() override {
        for (const char* dir : {"a", "a\\keep", "a\\keep\\deep", "b", "b\\inner", "c"})
            tmp.Dir(dir);
    }
    // The tree rooted at the temporary folder with `a` and `a\keep` open and
    // `a\keep` selected; its events recorded.
    TFolderTreeViewEx& MakeOpen() {
        TFolderTreeViewEx& t = Make();
        t.OnChange = [this](TObject*, const std::string& name) { changes.push_back(name); };
        Node("a")->Expand(false);
        Node("a\\keep")->Expand(false);
        t.SetSelected(Node("a\\keep"));
        changes.clear();
        return t;
    }
    // A shell command run from Linux; {name} stands for the quoted Unix path
    // of the temporary folder's entry `name`.
    void Linux(std::string script) {
        for (std::size_t at; (at = script.find('{')) != std::string::npos;) {
            std::size_t end = script.find('}', at);
            script.replace(at, end + 1 - at,
                           ShellQuoteUnix(UnixPath(tmp.Path(script.substr(at + 1, end - at - 1)))));
        }
        ASSERT_EQ(RunUnixShell(script), 0) << script;
    }
    void PressKey(WPARAM key) { SendMessageA(Tree().Handle(), WM_KEYDOWN, key, 0); }
    bool RootShows(const Texts& texts) {
        return PumpUntil([&] { return ChildTexts(Tree(), First()) == texts; });
    }
    int Updates() { return Internals(Tree()).NodeUpdates(); }

    std::vector<std::string> changes;
};

TEST_F(FolderTreeWatch, NamesMadeRemovedAndRenamedOutsideShowInPlace) {
    MakeOpen();
    TTreeNode* b = Node("b");
    Linux("mkdir {new} && rmdir {c} && mv {b} {b2}");
    ASSERT_TRUE(RootShows({"a", "b2", "new"}));
    EXPECT_EQ(Node("b2"), b) << "renamed in place";
    EXPECT_EQ(NodePath(b), tmp.Path("b2"));
    EXPECT_TRUE(Node("a")->Expanded() && Node("a\\keep")->Expanded());
    EXPECT_EQ(Tree().Selected(), Node("a\\keep"));
    EXPECT_TRUE(changes.empty());
}

TEST_F(FolderTreeWatch, RenamedOpenFolderKeepsItsBranchAndNamesTheSelection) {
    MakeOpen();
    TTreeNode* keep = Node("a\\keep");
    Linux("mv {a} {a2}");
    ASSERT_TRUE(RootShows({"a2", "b", "c"}));
    EXPECT_EQ(Node("a2\\keep"), keep);
    EXPECT_EQ(Tree().Selected(), keep);
    EXPECT_TRUE(keep->Expanded());
    EXPECT_EQ(NodePath(Node("a2\\keep\\deep")), tmp.Path("a2\\keep\\deep"));
    EXPECT_EQ(changes, Texts{tmp.Path("a2\\keep")});
    Linux("mkdir {a2\\keep\\more}"); // the branch's watches follow the folder
    EXPECT_TRUE(PumpUntil([&] { return Node("a2\\keep\\more") != nullptr; }));
}

TEST_F(FolderTreeWatch, SelectedFolderRemovedOutsideMovesTheSelectionToItsParent) {
    MakeOpen();
    Linux("rm -r {a\\keep}");
    ASSERT_TRUE(PumpUntil([&] { return !Node("a\\keep"); }));
    EXPECT_EQ(Tree().Selected(), Node("a"));
    EXPECT_EQ(changes, Texts{tmp.Path("a")});
    EXPECT_TRUE(Node("a")->Expanded());
}

TEST_F(FolderTreeWatch, BurstOfTwoThousandFoldersIsOneUpdate) {
    Make();
    const int before = Updates();
    Linux("cd {} && seq -f n%04g 2000 | xargs mkdir");
    ASSERT_TRUE(PumpUntil([&] { return Children(Tree(), First()).size() == 2003; }, 20000));
    PumpUntil([] { return false; }, 600); // a second update would come by now
    EXPECT_EQ(Updates() - before, 1);
}

TEST_F(FolderTreeWatch, ClosedNodeHoldsNoWatchAndIsReadAgainByF5AndWhenOpened) {
    MakeOpen();
    TTreeNode* a = Node("a");
    EXPECT_TRUE(Internals(Tree()).Watched(a));
    Tree().SetSelected(a);
    PressKey(VK_LEFT);
    ASSERT_FALSE(a->Expanded());
    EXPECT_FALSE(Internals(Tree()).Watched(a));
    EXPECT_FALSE(Internals(Tree()).Watched(Node("a\\keep")));
    tmp.Dir("a\\later");
    PressKey(VK_F5);
    EXPECT_EQ(ChildTexts(Tree(), a), (Texts{"keep", "later"}));
    EXPECT_FALSE(Internals(Tree()).Watched(a)) << "read, not watched, while closed";
    tmp.Dir("a\\keep\\later");
    PressKey(VK_RIGHT);
    EXPECT_EQ(ChildTexts(Tree(), Node("a\\keep")), (Texts{"deep", "later"}));
    EXPECT_TRUE(Internals(Tree()).Watched(a));
}

TEST_F(FolderTreeWatch, F5ReadsARemovableDriveWhichHoldsNoWatch) {
    services.driveType = [](const char*) { return UINT(DRIVE_REMOVABLE); };
    Make();
    EXPECT_EQ(Internals(Tree()).WatchCount(), 0);
    tmp.Dir("d");
    Tree().SetSelected(First());
    PressKey(VK_F5);
    EXPECT_EQ(ChildTexts(Tree(), First()), (Texts{"a", "b", "c", "d"}));
}

TEST_F(FolderTreeWatch, NoHandleOutlivesTheTree) {
    auto openAndClose = [this] {
        MakeOpen();
        Node("b")->Expand(false);
        EXPECT_EQ(Internals(Tree()).WatchCount(), 4);
        tmp.Dir("a\\new"); // a read completes and is armed again (here, not from Linux:
                           // starting a Unix program leaves a handle in Wine)
        PumpUntil([&] { return Node("a\\new") != nullptr; });
        Destroy();
        EXPECT_EQ(TFolderTreeTestAccess::LiveWatches(), 0);
    };
    openAndClose(); // the shell's own handles, kept once opened, are opened here
    const long before = OwnHandleCount();
    RemoveDirectoryA(tmp.Path("a\\new").c_str());
    openAndClose();
    EXPECT_GT(before, 0);
    EXPECT_EQ(OwnHandleCount(), before);
}

} // namespace
