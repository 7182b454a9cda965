// The shell folder tree over real temporary folders and Wine's real shell:
// its roots, the filling of nodes, hidden items, files and the file mask,
// the order of siblings, node texts and images, the life of node records,
// and the design-time hooks and About entry.
#include "tests/support/HostedTree.h"
#include "tests/support/Text.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

using Microsoft::WRL::ComPtr;
using Texts = std::vector<std::string>;

namespace {

constexpr DWORD HIDDEN = FILE_ATTRIBUTE_HIDDEN;
// cp932 characters whose second byte is 0x5C, the code of "\".
const std::string kSo = "\x83\x5C";  // katakana so
const std::string kHyo = "\x95\x5C"; // kanji hyou
// Two katakana whose trail bytes are "b" and "B".
const std::string kSmallTsu = "\x83\x62";
const std::string kSmallI = "\x83\x42";

TaskItemIDList Parse(const std::string& path) {
    ComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(&desktop);
    std::wstring wide = Wide(path);
    LPITEMIDLIST list = nullptr;
    ULONG eaten = 0;
    desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &list, nullptr);
    return TaskItemIDList(list);
}

// The shell's own in-folder name of an item, asked of its parent folder.
std::wstring InFolderName(LPCITEMIDLIST absolute) {
    ComPtr<IShellFolder> parent;
    LPCITEMIDLIST last = nullptr;
    STRRET name{};
    wchar_t text[MAX_PATH] = L"?";
    if (SUCCEEDED(SHBindToParent(absolute, IID_IShellFolder,
                                 reinterpret_cast<void**>(parent.GetAddressOf()), &last)) &&
        SUCCEEDED(parent->GetDisplayNameOf(last, SHGDN_INFOLDER, &name)))
        StrRetToBufW(&name, last, text, MAX_PATH);
    return text;
}

// System small-icon index of a path, normal or open.
int IconOf(const std::string& path, bool open) {
    SHFILEINFOA info{};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0));
    return info.iIcon;
}

Texts Sorted(Texts t) {
    std::sort(t.begin(), t.end());
    return t;
}

// A tree rooted at a fresh temporary folder; no test leaves a record alive.
class FolderTreeTest : public HostedTreeTest {
  protected:
    Texts Below(TTreeNode* node) { return ChildTexts(Tree(), node); }
    TTreeNode* Child(TTreeNode* parent, const std::string& text) {
        return FindChild(Tree(), parent, text);
    }
    // The images the control has for a node: normal and selected.
    std::pair<int, int> Images(TTreeNode* node) {
        TVITEMA item{};
        item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = node->ItemId();
        SendMessageA(Tree().Handle(), TVM_GETITEMA, 0, LPARAM(&item));
        return {item.iImage, item.iSelectedImage};
    }
    // Whether the tree shows the computer: as its root node, or its
    // children at the top level.
    bool ShowsDrives() {
        TaskItemIDList drives = SpecialFolder(CSIDL_DRIVES);
        LPCITEMIDLIST first = AbsoluteOf(First());
        return first && (ILIsEqual(first, drives.get()) || ILIsParent(drives.get(), first, TRUE));
    }
};

// ---- roots ----

TEST_F(FolderTreeTest, DrivesRootIsTheComputerWithItsDrivesBelow) {
    TFolderTreeViewEx& tree = Make([](auto& p) { p.rootFolder = rfDrives; });
    ASSERT_EQ(Children(tree, nullptr).size(), 1u) << "one root node";
    TaskItemIDList drives = SpecialFolder(CSIDL_DRIVES);
    EXPECT_TRUE(ILIsEqual(AbsoluteOf(First()), drives.get()));
    EXPECT_EQ(NodePath(First()), "") << "the computer is a virtual folder";
    EXPECT_EQ(First()->Text(), InFolderName(drives.get()));
    EXPECT_TRUE(First()->Expanded());
    EXPECT_FALSE(Internals(tree).VirtualRoot());
    Texts paths;
    for (TTreeNode* n : Children(tree, First()))
        paths.push_back(NodePath(n));
    for (const char* drive : {"C:\\", "Z:\\"})
        EXPECT_NE(std::find(paths.begin(), paths.end(), drive), paths.end()) << drive;
}

TEST_F(FolderTreeTest, DesktopRootIsTheDesktopDirectory) {
    char desktop[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    TFolderTreeViewEx& tree = Make([](auto& p) { p.rootFolder = rfDesktop; });
    ASSERT_EQ(Children(tree, nullptr).size(), 1u);
    EXPECT_EQ(NodePath(First()), desktop);
    EXPECT_TRUE(First()->Expanded());
}

TEST_F(FolderTreeTest, ManualRootFallsBackToTheDrivesWhenItCannotBeShown) {
    tmp.Dir("empty");
    tmp.Dir("docs");
    tmp.File("docs\\f.doc");
    tmp.File("f.txt");
    const std::string missing = tmp.Path("missing"), file = tmp.Path("f.txt");
    Make([&](auto& p) { p.rootFolderName = missing.c_str(); });
    EXPECT_TRUE(ShowsDrives()) << "a name that does not parse";
    Make([](auto& p) { p.rootFolderName = ""; });
    EXPECT_TRUE(ShowsDrives()) << "no name";
    Make([&](auto& p) {
        p.rootFolderName = file.c_str();
        p.showFile = true;
    });
    EXPECT_TRUE(ShowsDrives()) << "a file is no folder";

    const std::string empty = tmp.Path("empty"), docs = tmp.Path("docs");
    Make([&](auto& p) { p.rootFolderName = empty.c_str(); });
    EXPECT_EQ(NodePath(First()), empty) << "an empty folder shown as the root node";
    Make([&](auto& p) {
        p.rootFolderName = docs.c_str();
        p.showRootFolder = false;
        p.showFile = true;
    });
    EXPECT_EQ(Below(nullptr), Texts{"f.doc"}) << "a folder with a showable file";
}

// A root with nothing to show falls back to the drives. Wine's shell sets
// SFGAO_HASSUBFOLDER on every file-system folder, empty or not (the bit is
// advisory), so the unusable root here is a file, which has neither
// subfolders nor files below it.
TEST_F(FolderTreeTest, ManualRootWithNothingToShowFallsBackToTheDrives) {
    const std::string file = tmp.File("lone.txt");
    Make([&](auto& p) {
        p.rootFolderName = file.c_str();
        p.showRootFolder = false;
    });
    EXPECT_TRUE(ShowsDrives()) << "a file as root: " << ::testing::PrintToString(Below(nullptr));
    Make([&](auto& p) {
        p.rootFolderName = file.c_str();
        p.showRootFolder = false;
        p.showFile = true;
        p.fileMask = {".TXT"};
    });
    EXPECT_TRUE(ShowsDrives()) << "a file as root, files shown: "
                               << ::testing::PrintToString(Below(nullptr));
}

TEST_F(FolderTreeTest, VirtualRootsBuildAndShowTheirRootFolder) {
    for (auto [root, csidl] : {std::pair{rf_Printers, CSIDL_PRINTERS},
                               {rf_Bitbucket, CSIDL_BITBUCKET},
                               {rf_Controls, CSIDL_CONTROLS}}) {
        SCOPED_TRACE(int(root));
        TFolderTreeViewEx& tree = Make([r = root](auto& p) {
            p.rootFolder = r;
            p.showRootFolder = false;
        });
        EXPECT_TRUE(Internals(tree).VirtualRoot());
        EXPECT_TRUE(tree.ShowRootFolder());
        EXPECT_FALSE(Internals(tree).Updating());
        ASSERT_EQ(Children(tree, nullptr).size(), 1u);
        TaskItemIDList special = SpecialFolder(csidl);
        EXPECT_TRUE(ILIsEqual(AbsoluteOf(First()), special.get()));
        EXPECT_EQ(First()->Text(), InFolderName(special.get()));
        EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), tree.Items().Count());
    }
}

// ---- filling ----

TEST_F(FolderTreeTest, RootIsFilledAtOnceOtherNodesOnTheirFirstExpansionOnly) {
    for (const char* d : {"a", "a\\a1", "a\\a1\\deep", "a\\a2", "b", "b\\b1"})
        tmp.Dir(d);
    TFolderTreeViewEx& tree = Make();
    ASSERT_NE(First(), nullptr);
    EXPECT_EQ(NodePath(First()), tmp.Root());
    EXPECT_EQ(First()->Text(), InFolderName(Parse(tmp.Root()).get()));
    EXPECT_TRUE(First()->Expanded());
    ASSERT_EQ(Below(First()), (Texts{"a", "b"}));
    TTreeNode* a = Child(First(), "a");
    EXPECT_EQ(NodePath(a), tmp.Path("a"));
    EXPECT_TRUE(a->HasChildren()) << "subfolders: an expand button before filling";
    EXPECT_FALSE(a->Expanded());
    EXPECT_EQ(a->GetFirstChild(), nullptr) << "not filled before its expansion";
    EXPECT_EQ(tree.Items().Count(), 3);

    a->Expand(false);
    ASSERT_EQ(Below(a), (Texts{"a1", "a2"}));
    EXPECT_EQ(tree.Items().Count(), 5);
    TTreeNode* a1 = Child(a, "a1");
    EXPECT_TRUE(a1->HasChildren());
    EXPECT_EQ(a1->GetFirstChild(), nullptr);

    a->Collapse(false);
    tmp.Dir("a\\late");
    a->Expand(false);
    EXPECT_EQ(Below(a), (Texts{"a1", "a2"})) << "a second expansion fills nothing";
    EXPECT_EQ(tree.Items().Count(), 5);
    a1->Expand(false);
    EXPECT_EQ(Below(a1), Texts{"deep"});
    EXPECT_EQ(tree.Items().Count(), 6);
}

// Folders without subfolders, each under the root: which get an expand button.
class ExpandButtonTest : public FolderTreeTest {
  protected:
    void SetUp() override {
        for (const char* d : {"sub", "sub\\inner", "empty", "txt", "doc", "hidden"})
            tmp.Dir(d);
        tmp.File("txt\\x.txt");
        tmp.File("doc\\y.doc");
        tmp.File("hidden\\z.txt", HIDDEN);
    }
    TTreeNode* Folder(const char* name) { return Child(First(), name); }
    void ExpectAllFolders() {
        ASSERT_EQ(Sorted(Below(First())), Sorted({"doc", "empty", "hidden", "sub", "txt"}));
    }
};

TEST_F(ExpandButtonTest, HasShowableFilesFollowsTheMaskAndHiddenFiles) {
    for (bool hidden : {true, false}) {
        TFolderTreeViewEx& tree = Make([&](auto& p) {
            p.showFile = true;
            p.fileMask = {".TXT"};
            p.showIncludeHidden = hidden;
        });
        ASSERT_NO_FATAL_FAILURE(ExpectAllFolders());
        auto showable = [&](const char* name) {
            TTVITEMDATA* d = NodeData(Folder(name));
            return d &&
                   Internals(tree).HasShowableFiles(d->ParentFolder.Get(), d->RelativeID.get());
        };
        EXPECT_TRUE(showable("txt"));
        EXPECT_FALSE(showable("doc")) << "no file passes the mask";
        EXPECT_FALSE(showable("empty"));
        EXPECT_FALSE(showable("sub")) << "a subfolder is no file";
        EXPECT_EQ(showable("hidden"), hidden) << "a hidden file, ShowIncludeHidden " << hidden;
    }
}

// The expand button follows the shell's SFGAO_HASSUBFOLDER (Wine sets it on
// every folder) and, with files shown, a folder's showable files.
TEST_F(ExpandButtonTest, ButtonFollowsTheShellAndShowableFiles) {
    auto shellSaysSubfolders = [](TTreeNode* n) {
        return (NodeData(n)->Attributes & SFGAO_HASSUBFOLDER) != 0;
    };
    Make();
    ASSERT_NO_FATAL_FAILURE(ExpectAllFolders());
    for (const char* name : {"empty", "txt", "sub"})
        EXPECT_EQ(Folder(name)->HasChildren(), shellSaysSubfolders(Folder(name)))
            << name << ", ShowFile off";
    EXPECT_TRUE(Folder("sub")->HasChildren());
    for (bool hidden : {true, false}) {
        Make([&](auto& p) {
            p.showFile = true;
            p.fileMask = {".TXT"};
            p.showIncludeHidden = hidden;
        });
        ASSERT_NO_FATAL_FAILURE(ExpectAllFolders());
        EXPECT_TRUE(Folder("sub")->HasChildren());
        EXPECT_TRUE(Folder("txt")->HasChildren()) << "a file passes the mask";
        for (const char* name : {"doc", "empty"})
            EXPECT_EQ(Folder(name)->HasChildren(), shellSaysSubfolders(Folder(name))) << name;
    }
}

// ---- hidden items, files, the mask ----

TEST_F(FolderTreeTest, HiddenItemsShowOnlyWithShowIncludeHidden) {
    tmp.Dir(".dotdir");
    tmp.Dir("attrdir", HIDDEN);
    tmp.Dir("plain");
    tmp.File(".dot.txt");
    tmp.File("attr.txt", HIDDEN);
    tmp.File("p.txt");
    ASSERT_TRUE(Attributes(tmp.Path(".dotdir")) & HIDDEN) << "Wine hides a leading dot";
    ASSERT_TRUE(Attributes(tmp.Path("attr.txt")) & HIDDEN);
    Make([](auto& p) { p.showFile = true; });
    EXPECT_EQ(Sorted(Below(First())),
              Sorted({".dotdir", "attrdir", "plain", ".dot.txt", "attr.txt", "p.txt"}));
    Make([](auto& p) {
        p.showFile = true;
        p.showIncludeHidden = false;
    });
    EXPECT_EQ(Sorted(Below(First())), Sorted({"plain", "p.txt"}));
}

TEST_F(FolderTreeTest, FileMaskMatchesWholeExtensionsIgnoringCase) {
    for (const char* f : {"a.txt", "B.Txt", "c.doc", "d.txts", "e.tx", "noext", "x."})
        tmp.File(f);
    tmp.Dir("dir.d");
    tmp.File("dir.d\\noext");
    tmp.File("dir.d\\in.txt");
    auto shown = [&](bool showFile, std::vector<std::string> mask) {
        Make([&](auto& p) {
            p.showFile = showFile;
            p.fileMask = mask;
        });
        return Sorted(Below(First()));
    };
    auto inDir = [&] {
        TTreeNode* dir = Child(First(), "dir.d");
        if (!dir) return Texts{"(no dir.d)"};
        dir->Expand(false);
        return Below(dir);
    };
    EXPECT_EQ(shown(false, {}), Texts{"dir.d"}) << "folders only";
    // Wine, like Windows, creates "x." as "x".
    EXPECT_EQ(shown(true, {}),
              Sorted({"dir.d", "a.txt", "B.Txt", "c.doc", "d.txts", "e.tx", "noext", "x"}));
    EXPECT_EQ(shown(true, {".TXT"}), Sorted({"dir.d", "a.txt", "B.Txt"}));
    EXPECT_EQ(inDir(), Texts{"in.txt"});
    EXPECT_EQ(shown(true, {"txt", "*.txt"}), Texts{"dir.d"}) << "entries are dot and extension";
    // No extension never passes; the dot of a folder name in the path is none.
    EXPECT_EQ(shown(true, {"", ".", ".d\\noext"}), Texts{"dir.d"});
    EXPECT_EQ(inDir(), Texts{});
}

TEST_F(FolderTreeTest, DoubleByteNamesKeepTheirTextsAndExtensions) {
    tmp.Dir(kHyo);
    tmp.File(kHyo + "\\a." + kSo);
    tmp.File(kHyo + "\\b.txt");
    tmp.Dir(kSo);
    tmp.File("a." + kSmallTsu);
    Make([](auto& p) {
        p.showFile = true;
        p.fileMask = {"." + kSo};
    });
    EXPECT_EQ(Sorted(Below(First())), Sorted({kSo, kHyo}));
    TTreeNode* hyo = Child(First(), kHyo);
    ASSERT_NE(hyo, nullptr);
    EXPECT_EQ(NodePath(hyo), tmp.Path(kHyo));
    hyo->Expand(false);
    EXPECT_EQ(Below(hyo), Texts{"a." + kSo}) << "the extension is taken by characters";

    Make([](auto& p) {
        p.showFile = true;
        p.fileMask = {"." + kSmallI};
    });
    EXPECT_EQ(Child(First(), "a." + kSmallTsu), nullptr) << "trail bytes are not letters";
    Make([](auto& p) {
        p.showFile = true;
        p.fileMask = {"." + kSmallTsu};
    });
    EXPECT_NE(Child(First(), "a." + kSmallTsu), nullptr);
}

// ---- order and the root folder ----

TEST_F(FolderTreeTest, SiblingsComeInTheShellsOrderFilesFirstWithInfoViewSort) {
    for (const char* d : {"Zeta", "alpha", "Beta", "gamma", "alpha\\d3", "alpha\\D1", "alpha\\d2"})
        tmp.Dir(d);
    for (const char* f : {"zz.txt", "a.txt", "Ab.txt", "B.Txt"})
        tmp.File(f);
    const Texts folders{"alpha", "Beta", "gamma", "Zeta"},
        files{"a.txt", "Ab.txt", "B.Txt", "zz.txt"};
    auto order = [&](bool showFile, bool infoViewSort) {
        Make([&](auto& p) {
            p.showFile = showFile;
            p.infoViewSort = infoViewSort;
        });
        return Below(First());
    };
    ASSERT_EQ(order(false, false), folders);
    Child(First(), "alpha")->Expand(false);
    EXPECT_EQ(Below(Child(First(), "alpha")), (Texts{"D1", "d2", "d3"}));
    EXPECT_EQ(order(false, true), folders) << "InfoViewSort needs ShowFile";
    Texts shell = folders; // Wine's shell puts folders before files
    shell.insert(shell.end(), files.begin(), files.end());
    EXPECT_EQ(order(true, false), shell);
    Texts filesFirst = files;
    filesFirst.insert(filesFirst.end(), folders.begin(), folders.end());
    EXPECT_EQ(order(true, true), filesFirst);
}

TEST_F(FolderTreeTest, WithoutTheRootFolderItsChildrenAreTheTopLevel) {
    for (const char* d : {"b", "a", "a\\a1"})
        tmp.Dir(d);
    tmp.File("0.txt"); // enumerated first, sorted after the folders
    TFolderTreeViewEx& tree = Make([](auto& p) {
        p.showRootFolder = false;
        p.showFile = true;
    });
    ASSERT_EQ(Below(nullptr), (Texts{"a", "b", "0.txt"}));
    EXPECT_EQ(NodePath(First()), tmp.Path("a"));
    for (TTreeNode* n : Children(tree, nullptr)) {
        EXPECT_FALSE(n->Expanded()) << n->Text();
        EXPECT_EQ(n->GetFirstChild(), nullptr) << n->Text();
    }
    EXPECT_EQ(tree.Items().Count(), 3);
    EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), 3);
    First()->Expand(false);
    EXPECT_EQ(Below(First()), Texts{"a1"});
}

// ---- texts, images, records ----

TEST_F(FolderTreeTest, TextsAndImagesAreTheShells) {
    tmp.Dir("sub");
    tmp.Dir(kHyo);
    tmp.File("doc.txt");
    tmp.File("x.doc");
    ASSERT_NE(IconOf(tmp.Path("sub"), false), IconOf(tmp.Path("sub"), true))
        << "Wine's folders have a distinct open icon";
    TFolderTreeViewEx& tree = Make([](auto& p) { p.showFile = true; });
    std::vector<TTreeNode*> nodes = Children(tree, First());
    ASSERT_EQ(nodes.size(), 4u);
    nodes.push_back(First());
    for (TTreeNode* n : nodes) {
        std::string path = NodePath(n);
        SCOPED_TRACE(path);
        bool folder = Attributes(path) & FILE_ATTRIBUTE_DIRECTORY;
        EXPECT_EQ(n->Text(), InFolderName(Parse(path).get()));
        int normal = -1, open = -1;
        GetItemIconIndices(AbsoluteOf(n), normal, open);
        EXPECT_EQ(normal, IconOf(path, false));
        tree.SetSelected(n);
        EXPECT_EQ(Images(n), std::pair(normal, folder ? open : normal));
    }
}

// Rows are drawn with their normal icon only; a row selected after it was
// drawn shows its open icon, not the normal one it was first drawn with.
TEST_F(FolderTreeTest, ARowSelectedAfterItWasDrawnShowsItsOpenIcon) {
    tmp.Dir("sub");
    tmp.Dir("other");
    TFolderTreeViewEx& tree = Make([](auto& p) {
        p.tree.control.width = 300;
        p.tree.control.height = 200;
    });
    ShowWindow(Host().form.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(tree.Handle());
    RECT unpainted{};
    ASSERT_FALSE(GetUpdateRect(tree.Handle(), &unpainted, FALSE)) << "every row drawn";
    TTreeNode* sub = Child(First(), "sub");
    ASSERT_NE(sub, nullptr);
    const int normal = IconOf(tmp.Path("sub"), false), open = IconOf(tmp.Path("sub"), true);
    EXPECT_EQ(Images(sub), std::pair(normal, normal)) << "drawn unselected: its normal image";
    tree.SetSelected(sub);
    UpdateWindow(tree.Handle());
    EXPECT_EQ(Images(sub), std::pair(normal, open));
}

TEST_F(FolderTreeTest, NodeRecordsLiveExactlyAsLongAsTheirNodes) {
    for (const char* d : {"a", "a\\a1", "b", ".h"})
        tmp.Dir(d);
    auto live = [] { return TFolderTreeTestAccess::LiveNodeRecords(); };
    TFolderTreeViewEx& tree = Make();
    EXPECT_EQ(tree.Items().Count(), 4);
    EXPECT_EQ(live(), 4);
    ASSERT_NE(Child(First(), "a"), nullptr);
    Child(First(), "a")->Expand(false);
    EXPECT_EQ(live(), 5);
    tree.SetShowIncludeHidden(false); // a rebuild frees the old tree's records
    EXPECT_EQ(tree.Items().Count(), 3);
    EXPECT_EQ(live(), 3);
    tree.Items().Clear();
    EXPECT_EQ(tree.Items().Count(), 0);
    EXPECT_EQ(live(), 0) << "Items().Clear()";
    tree.SetFileMask(tree.FileMask()); // every assignment rebuilds
    EXPECT_EQ(live(), 3);
    tree.DestroyHandle();
    EXPECT_EQ(live(), 0) << "the tree's window destroyed";
    tree.HandleNeeded();
    EXPECT_EQ(live(), tree.Items().Count());
    DestroyWindow(Host().form.Handle());
    EXPECT_EQ(live(), 0) << "the parent's window destroyed";
    Host().form.Create();
    EXPECT_EQ(live(), 3);
    Host().tree.reset();
    EXPECT_EQ(live(), 0) << "the control destroyed";
}

TEST_F(FolderTreeTest, AfterLayoutLoadedCollapsesTheTreeOnlyInADesigner) {
    for (const char* d : {"a", "a\\a1", "a\\a1\\deep", "b"})
        tmp.Dir(d);
    TFolderTreeViewEx& tree = Make();
    TTreeNode* a = Child(First(), "a");
    ASSERT_NE(a, nullptr);
    a->Expand(false);
    TTreeNode* a1 = Child(a, "a1");
    ASSERT_NE(a1, nullptr);
    a1->Expand(false);
    tree.AfterLayoutLoaded();
    EXPECT_TRUE(First()->Expanded() && a->Expanded() && a1->Expanded()) << "at run time";
    tree.SetDesigning(true);
    tree.AfterLayoutLoaded();
    EXPECT_TRUE(First()->Expanded()) << "the root node, one level";
    EXPECT_FALSE(a->Expanded());
    EXPECT_FALSE(a1->Expanded());

    TFolderTreeViewEx& flat = Make([](auto& p) { p.showRootFolder = false; });
    ASSERT_NE(First(), nullptr);
    First()->Expand(false);
    ASSERT_TRUE(First()->Expanded());
    flat.SetDesigning(true);
    flat.AfterLayoutLoaded();
    for (TTreeNode* n : Children(flat, nullptr))
        EXPECT_FALSE(n->Expanded()) << n->Text();
}

// ---- the About entry ----

// Catches the message boxes (dialog class windows) this thread activates:
// caption, owner and icon; closes each so that the caller returns. Under
// Wine on a display without a window manager, hiding the box costs 2 s.
struct MessageBoxCatcher {
    struct Box {
        std::string caption;
        HWND owner;
        HICON icon;
    };
    MessageBoxCatcher() {
        self = this;
        hook = SetWindowsHookExA(WH_CBT, Proc, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxCatcher() { UnhookWindowsHookEx(hook); }
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        char kind[16] = {};
        if (code == HCBT_ACTIVATE && GetClassNameA(HWND(wp), kind, sizeof kind) &&
            std::string(kind) == "#32770") {
            HWND box = HWND(wp);
            char caption[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            HICON icon = nullptr;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    icon = HICON(SendMessageA(c, STM_GETICON, 0, 0));
            self->boxes.push_back({caption, GetWindow(box, GW_OWNER), icon});
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(self->hook, code, wp, lp);
    }
    static inline MessageBoxCatcher* self = nullptr;
    HHOOK hook;
    std::vector<Box> boxes;
};

// No tree is hosted: the entry shows the system's own box, which is caught.
TEST(FolderTreeAbout, PropertyOpensTheVersionBox) {
    TAboutFolderTreeViewExProperty about;
    EXPECT_EQ(about.GetAttributes(), unsigned(paDialog | paMultiSelect | paReadOnly));
    EXPECT_EQ(about.GetValue(), "(about)");
    TWindowed<TForm> designer(nullptr,
                              {.control = {.name = "TDesignerForm", .width = 200, .height = 100}});
    designer.Create();
    MessageBoxCatcher catcher;
    about.Edit(designer.Handle());
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].caption, " FolderTreeViewEx component version 2.11");
    EXPECT_EQ(catcher.boxes[0].owner, designer.Handle());
    EXPECT_EQ(catcher.boxes[0].icon, LoadIconA(nullptr, IDI_INFORMATION));
}

} // namespace
