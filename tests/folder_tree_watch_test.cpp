// The folder tree following the file system over real temporary folders
// changed from Linux, as another program would: names made, removed and
// renamed show in place with what the user opened and selected kept, a
// burst is one update, closed nodes hold nothing and are read again on
// expansion and by F5, and no handle is held inside a folder or outlives
// the tree. Under Wine, checks of the folders carry these changes; the
// events of a root's read, as Windows reports them, are delivered by the
// test through the tree's services.
#include "tests/support/HostedTree.h"
#include "tests/support/Text.h"
#include "tests/support/UnixShell.h"

#include <dbt.h>
#include <gtest/gtest.h>
#include <winternl.h>

#include <algorithm>

using Texts = std::vector<std::string>;

namespace {

// Handles the process holds, as the system's handle table lists them.
std::vector<HANDLE> OwnHandles() {
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
        return {};
    const auto* entries = reinterpret_cast<const Entry*>(table.data() + 1);
    std::vector<HANDLE> own;
    for (ULONG i = 0; i < ULONG(table[0]); ++i)
        if (entries[i].process == GetCurrentProcessId())
            own.push_back(reinterpret_cast<HANDLE>(ULONG_PTR(entries[i].handle)));
    return own;
}

// What the process holds open on disks, by final paths.
std::vector<std::string> OpenPaths() {
    std::vector<std::string> paths;
    for (HANDLE h : OwnHandles())
        if (char path[MAX_PATH];
            GetFileType(h) == FILE_TYPE_DISK && GetFinalPathNameByHandleA(h, path, MAX_PATH, 0))
            paths.push_back(path + 4); // without "\\?\"
    return paths;
}

class FolderTreeWatch : public HostedTreeTest {
  protected:
    void SetUp() override {
        for (const char* dir : {"a", "a\\keep", "a\\keep\\deep", "b", "b\\inner", "c"})
            tmp.Dir(dir);
    }
    // The tree rooted at the temporary folder, shown, with `a` and `a\keep`
    // open and `a\keep` selected; its events recorded.
    TFolderTreeViewEx& MakeOpen() {
        TFolderTreeViewEx& t = Make();
        ShowWindow(Host().form.Handle(), SW_SHOWNOACTIVATE); // checks run while it can be seen
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
    bool RootRead() {
        return PumpUntil([&] { return Internals(Tree()).RootHandles() == 1; });
    }
    // An event's name: the entry's path below its drive's root.
    std::wstring Below(const std::string& relative) { return Wide(tmp.Path(relative).substr(3)); }
    void Device(WPARAM event) {
        DEV_BROADCAST_HANDLE about{
            sizeof about, DBT_DEVTYP_HANDLE, 0, services.changeRoot, {}, {}, {}, {}};
        SendMessageA(Tree().Handle(), WM_DEVICECHANGE, event, LPARAM(&about));
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
    b->Expand(false); // known by its identity: checks, which see no names, find it renamed
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

TEST_F(FolderTreeWatch, SelectedFolderRemovedOutsideMovesTheSelectionOutOfItOnce) {
    struct {
        const char *selected, *removed, *after;
    } cases[] = {{"a\\keep", "a\\keep", "a"}, {"a\\keep\\deep", "a", ""}};
    for (const auto& c : cases) {
        for (const char* dir : {"a", "a\\keep", "a\\keep\\deep", "a\\sibling"})
            tmp.Dir(dir); // a sibling: not where the control alone would put the selection
        MakeOpen().SetSelected(Node(c.selected, true));
        changes.clear();
        Linux(std::string("rm -r {") + c.removed + "}");
        ASSERT_TRUE(PumpUntil([&] { return !Node(c.removed); })) << c.removed;
        EXPECT_EQ(Tree().Selected(), *c.after ? Node(c.after) : First());
        EXPECT_EQ(changes, Texts{*c.after ? tmp.Path(c.after) : tmp.Root()});
    }
}

TEST_F(FolderTreeWatch, BurstOfTwoThousandFoldersIsOneUpdate) {
    ShowWindow(Make().Parent()->Handle(), SW_SHOWNOACTIVATE);
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
    tmp.Dir("a\\early"), tmp.Dir("a\\later");
    PressKey(VK_F5); // new names sorted in around the one kept
    EXPECT_EQ(ChildTexts(Tree(), a), (Texts{"early", "keep", "later"}));
    EXPECT_FALSE(Internals(Tree()).Watched(a)) << "read, not watched, while closed";
    tmp.Dir("a\\keep\\later");
    PressKey(VK_RIGHT);
    EXPECT_EQ(ChildTexts(Tree(), Node("a\\keep")), (Texts{"deep", "later"}));
    EXPECT_TRUE(Internals(Tree()).Watched(a));
}

TEST_F(FolderTreeWatch, OneLetterRenameSwapAndRemakeOfOpenFoldersShowInPlace) {
    MakeOpen();
    TTreeNode *a = Node("a"), *keep = Node("a\\keep"), *b = Node("b");
    b->Expand(false);
    Linux("mv {a\\keep} {a\\k} && mv {a} {t} && mv {b} {a} && mv {t} {b}");
    ASSERT_TRUE(PumpUntil([&] { return ChildTexts(Tree(), a) == Texts{"k"}; }));
    EXPECT_EQ(Node("b\\k"), keep);
    EXPECT_EQ(Tree().Selected(), keep);
    EXPECT_EQ(changes, Texts{tmp.Path("b\\k")});
    EXPECT_EQ(ChildTexts(Tree(), Node("a")), Texts{"inner"});
    Linux("rm -r {a} && mkdir {a} {a\\fresh}");
    EXPECT_TRUE(PumpUntil([&] { return ChildTexts(Tree(), Node("a")) == Texts{"fresh"}; }));
    EXPECT_EQ(Node("b"), a);
}

// Events as Windows' reads report them, delivered through the services.
class FolderTreeEvents : public FolderTreeWatch {
  protected:
    void SetUp() override {
        FolderTreeWatch::SetUp();
        services.fakeChanges = true;
    }
};

TEST_F(FolderTreeEvents, NestedSplitAndOverflowingReadsReadTheNodesNamed) {
    MakeOpen();
    ASSERT_TRUE(RootRead());
    const int before = Updates();
    tmp.Dir("a\\keep\\new");
    MoveFileA(tmp.Path("a\\keep").c_str(), tmp.Path("a\\kept").c_str());
    services.Deliver({{FILE_ACTION_ADDED, Below("a\\keep\\new")},
                      {FILE_ACTION_RENAMED_OLD_NAME, Below("a\\keep")}});
    services.Deliver({{FILE_ACTION_RENAMED_NEW_NAME, Below("a\\kept")}});
    ASSERT_TRUE(PumpUntil([&] { return Updates() - before == 2; }));
    EXPECT_EQ(ChildTexts(Tree(), Tree().Selected()), (Texts{"deep", "new"}));
    EXPECT_EQ(NodePath(Tree().Selected()), tmp.Path("a\\kept"));
    EXPECT_EQ(changes, Texts{tmp.Path("a\\kept")});
    services.Deliver({});
    PumpUntil([] { return false; }, 600);
    EXPECT_EQ(Updates() - before, 5) << "each open node read once";
}

TEST_F(FolderTreeEvents, RefusedReadsLeaveChecksThatKeepTheSelection) {
    services.refuseChanges = true;
    MakeOpen();
    const int before = Updates();
    Linux("mv {a\\keep} {a\\kept}");
    ASSERT_TRUE(PumpUntil([&] { return Node("a\\kept") != nullptr; }));
    PumpUntil([] { return false; }, 2500); // settles and checks come and go
    EXPECT_EQ(Internals(Tree()).RootHandles(), 0);
    EXPECT_EQ(Updates() - before, 1);
    EXPECT_EQ(Tree().Selected(), Node("a\\kept"));
}

TEST_F(FolderTreeEvents, RootHandleClosedForARemovalAndOpenedAgainWhenItFails) {
    services.driveType = [](const char*) { return UINT(DRIVE_REMOVABLE); };
    // The root is opened off the window's thread: held there, the nodes open.
    const UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    services.rootOpens = [&] { WaitForSingleObject(held.get(), 10000); };
    MakeOpen();
    EXPECT_EQ(Internals(Tree()).RootHandles(), 0);
    SetEvent(held.get());
    ASSERT_TRUE(RootRead());
    Device(DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ(Internals(Tree()).RootHandles(), 0);
    tmp.Dir("a\\keep\\later");
    Device(DBT_DEVICEQUERYREMOVEFAILED);
    EXPECT_EQ(Internals(Tree()).RootHandles(), 1);
    EXPECT_TRUE(PumpUntil([&] { return Node("a\\keep\\later") != nullptr; }));
}

TEST_F(FolderTreeWatch, HoldsNoFolderButItsVolumesRootAndNoHandleOutlivesTheTree) {
    std::vector<std::string> idle, held; // what a tree holds beside what the process held idle
    auto openAndClose = [&] {
        MakeOpen();
        Node("a\\keep\\deep")->Expand(false); // with the root, a chain of four open
        Node("b")->Expand(false);
        EXPECT_EQ(Internals(Tree()).WatchCount(), 5);
        tmp.Dir("a\\new"); // a change is read (made here, not from Linux:
                           // starting a Unix program leaves a handle in Wine)
        PumpUntil([&] { return Node("a\\new") != nullptr; });
        for (const std::string& path : OpenPaths())
            if (!std::count(idle.begin(), idle.end(), path)) held.push_back(path);
        Destroy();
        EXPECT_EQ(TFolderTreeTestAccess::LiveWatches(), 0);
    };
    openAndClose(); // the shell's own handles, kept once opened, are opened here
    const std::size_t before = OwnHandles().size();
    idle = OpenPaths();
    held.clear();
    RemoveDirectoryA(tmp.Path("a\\new").c_str());
    openAndClose();
    for (const std::string& path : held) { // the roots' reads, where they serve
        char root[MAX_PATH] = {};
        EXPECT_TRUE(GetVolumePathNameA(path.c_str(), root, MAX_PATH) && path == root) << path;
    }
    EXPECT_GT(before, 0);
    EXPECT_EQ(OwnHandles().size(), before);
}

} // namespace
