// The folder tree as a drop target: which data it accepts, the hover and
// scroll timers run on a clock of the test's own, the zones of the edges,
// and a drop carried out as cut or copy and paste. Data objects and the
// paste target's menu are fakes where the exact protocol or references must
// show; the tree, its files and the dropped file's cut or copy are real.
#include "folder_tree/DropSource.h"
#include "folder_tree/DropTarget.h"
#include "folder_tree/ShellVerbs.h"
#include "folder_tree/UnknownObject.h"
#include "tests/support/FakeContextMenu.h"
#include "tests/support/FakeDataObject.h"
#include "tests/support/FakeShell.h"
#include "tests/support/HostedTree.h"
#include "tests/support/Person.h"
#include "tests/support/Text.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WideFolders.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

// The boxes the drop target and the verbs show.
constexpr char kSpecialFolderBox[] = "This Folder is SpecialFolder \r   Can not Copy or Paste!";
constexpr char kInvokeFailedBox[] = "InvokeCommand failed!";
// The scroll code of a direction whose edge the cursor does not rest at.
constexpr int kNoScrollCode = 0xFFFF;

POINTL ToScreen(HWND tree, POINT client) {
    ClientToScreen(tree, &client);
    return {client.x, client.y};
}

// The middle of a node's label, in client coordinates.
POINT LabelCentre(TFolderTreeViewEx& tree, TTreeNode* node) {
    RECT rc{};
    TreeView_GetItemRect(tree.Handle(), node->ItemId(), &rc, TRUE);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void CollectDropHighlighted(TFolderTreeViewEx& tree, TTreeNode* parent,
                            std::vector<TTreeNode*>& lit) {
    for (TTreeNode* n : Children(tree, parent)) {
        if (TreeView_GetItemState(tree.Handle(), n->ItemId(), TVIS_DROPHILITED) & TVIS_DROPHILITED)
            lit.push_back(n);
        CollectDropHighlighted(tree, n, lit);
    }
}

// Every node that shows the drop highlight.
std::vector<TTreeNode*> DropHighlighted(TFolderTreeViewEx& tree) {
    std::vector<TTreeNode*> lit;
    CollectDropHighlighted(tree, nullptr, lit);
    return lit;
}

TTreeNode* NextVisible(TFolderTreeViewEx& tree, TTreeNode* node) {
    return tree.Items().GetNode(TreeView_GetNextVisible(tree.Handle(), node->ItemId()));
}

// A tree on "top", whose folder "a" holds "b" and which has enough
// siblings to overflow the window; "loose.txt" beside "top" is dropped.
// The clock moves by hand: pauses are recorded, never waited.
class DropTest : public HostedTreeTest {
  protected:
    void SetUp() override {
        tmp.Dir("top");
        tmp.Dir("top\\a");
        tmp.Dir("top\\a\\b");
        for (int i = 0; i < 30; ++i)
            tmp.Dir("top\\d" + std::to_string(10 + i));
        loose = tmp.File("loose.txt");
        rootName = tmp.Path("top");
        TFolderTreeViewExProps props = ManualRoot(rootName);
        props.tree.control = {.left = 0, .top = 0, .width = 300, .height = 200};
        Make(props);
        top = First();
        ASSERT_NE(top, nullptr);
        a = FindChild(Tree(), top, "a");
        ASSERT_NE(a, nullptr);
        ASSERT_FALSE(a->Expanded());
    }
    HWND wnd() { return Tree().Handle(); }
    TDropTargetObject& target() { return Internals(Tree()).DropTarget(); }
    TFolderTreeTestAccess::DropState state() { return Internals(Tree()).DropTargetState(); }
    DWORD Over(POINT client, DWORD keys = MK_LBUTTON) {
        DWORD effect = 0xDEAD;
        EXPECT_EQ(target().DragOver(keys, ToScreen(wnd(), client), &effect), S_OK);
        return effect;
    }
    // The tree view's begin-drag notification of `node`, sent to its parent.
    LRESULT BeginDrag(TTreeNode* node) {
        NMTREEVIEWW info{};
        info.hdr = {wnd(), 0, UINT(TVN_BEGINDRAGW)};
        info.itemNew.hItem = node->ItemId();
        return SendMessageA(GetParent(wnd()), WM_NOTIFY, 0, LPARAM(&info));
    }
    DWORD Enter(IDataObject* data, DWORD keys = MK_LBUTTON) {
        DWORD effect = 0xDEAD;
        EXPECT_EQ(target().DragEnter(data, keys, {0, 0}, &effect), S_OK);
        return effect;
    }

    // A data object that outlives the tree: the target keeps the one it
    // accepted until the next DragEnter or its own end.
    FakeDataObject& Data(std::vector<std::wstring> paths) {
        return Outliving<FakeDataObject>(std::move(paths));
    }

    std::string loose, rootName;
    TTreeNode* top = nullptr;
    TTreeNode* a = nullptr;
};

TEST_F(DropTest, DragEnterAcceptsOneParsablePathAndKeepsOnlyThatDataObject) {
    struct Case {
        const char* name;
        std::vector<std::wstring> paths;
        bool hdrop;
        bool accepted;
    };
    const std::wstring one = Wide(loose);
    WideFolders wide(tmp);
    const std::wstring unwritable = wide.File(L"Café〜😀.txt"); // CF_HDROP holds UTF-16
    const std::vector<Case> cases = {
        {"no CF_HDROP", {one}, false, false},
        {"no file", {}, true, false},
        {"one file", {one}, true, true},
        {"one file the code page cannot name", {unwritable}, true, true},
        {"two files", {one, Wide(rootName)}, true, false},
        {"a path that does not parse", {Wide(tmp.Path("missing\\x.txt"))}, true, false},
    };
    std::vector<std::unique_ptr<FakeDataObject>> kept;
    for (const Case& c : cases) {
        for (DWORD keys : {DWORD(MK_LBUTTON), DWORD(MK_LBUTTON | MK_CONTROL)}) {
            SCOPED_TRACE(std::string(c.name) + (keys & MK_CONTROL ? " with Ctrl" : ""));
            auto data = std::make_unique<FakeDataObject>(c.paths, c.hdrop);
            const DWORD effect = Enter(data.get(), keys);
            const DWORD expected = !c.accepted
                                       ? DROPEFFECT_NONE
                                       : (keys & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
            EXPECT_EQ(effect, expected);
            EXPECT_EQ(state().acceptable, c.accepted);
            EXPECT_EQ(Internals(Tree()).KeptDataObject(), c.accepted ? data.get() : nullptr);
            EXPECT_EQ(data->GetDataCalls(), 1);
            EXPECT_EQ(data->MediaHeld(), 0);
            EXPECT_EQ(data->References(), c.accepted ? 1 : 0);
            for (const auto& earlier : kept)
                EXPECT_EQ(earlier->References(), 0) << "released at the next DragEnter";
            kept.push_back(std::move(data));
        }
    }
    // Accepted data stays through DragLeave and Drop.
    FakeDataObject data({one});
    Enter(&data);
    EXPECT_EQ(target().DragLeave(), S_OK);
    EXPECT_EQ(data.References(), 1);

    // Off: nothing read, nothing accepted, the earlier data still kept.
    Tree().SetDragAndDrop(false);
    FakeDataObject refused({one});
    EXPECT_EQ(Enter(&refused), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(refused.GetDataCalls(), 0);
    EXPECT_EQ(data.References(), 1);
    EXPECT_EQ(Over(LabelCentre(Tree(), a)), DWORD(DROPEFFECT_NONE));
    EXPECT_TRUE(DropHighlighted(Tree()).empty());
    DWORD effect = 0xDEAD;
    EXPECT_EQ(target().Drop(&data, 0, ToScreen(wnd(), LabelCentre(Tree(), a)), &effect), E_FAIL);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(data.GetDataCalls(), 1);
    Tree().SetDragAndDrop(true);

    // A DragEnter without data lets the kept one go.
    Enter(nullptr);
    EXPECT_EQ(data.References(), 0);
    Destroy();
}

TEST_F(DropTest, RestingOnACollapsedNodeOpensItOnlyAfterMoreThanTheHoverTime) {
    FakeDataObject& data = Data({Wide(loose)});
    Enter(&data);
    const POINT p = LabelCentre(Tree(), a);
    EXPECT_EQ(Over(p), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(state().hoverReset, -1) << "moving";
    EXPECT_EQ(state().hoverStart, 0u);
    EXPECT_EQ(Over(p, MK_LBUTTON | MK_CONTROL), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(state().hoverReset, 0) << "resting";
    EXPECT_EQ(state().hoverStart, 1000u);
    EXPECT_EQ(Internals(Tree()).DropNode(), a);
    EXPECT_EQ(DropHighlighted(Tree()), std::vector<TTreeNode*>{a});

    services.now += 1500;
    Over(p);
    EXPECT_FALSE(a->Expanded());
    EXPECT_EQ(state().hoverStart, 1000u) << "the timer runs on";
    services.now += 1;
    Over(p);
    ASSERT_TRUE(a->Expanded());
    ASSERT_NE(a->GetFirstChild(), nullptr);
    EXPECT_EQ(a->GetFirstChild()->Text(), L"b");
    EXPECT_FALSE(a->GetFirstChild()->Expanded()) << "one level only";

    // Moving returns to the start; the highlight goes to the new node alone.
    const POINT q = LabelCentre(Tree(), top);
    Over(q);
    EXPECT_EQ(state().hoverReset, -1);
    EXPECT_EQ(state().hoverStart, 0u);
    EXPECT_EQ(DropHighlighted(Tree()), std::vector<TTreeNode*>{top});
    EXPECT_EQ(target().DragLeave(), S_OK);
    EXPECT_TRUE(DropHighlighted(Tree()).empty());
    EXPECT_EQ(Internals(Tree()).DropNode(), top) << "DragLeave keeps the node";
    EXPECT_TRUE(services.pauses.empty());
}

TEST_F(DropTest, ZonesMarkTheElevenPixelEdgesAndNoNodeLeavesTheHighlight) {
    RECT client{};
    GetClientRect(wnd(), &client);
    const int r = client.right, b = client.bottom, mx = r / 2, my = b / 2;
    constexpr int kNear = 11; // pixels
    // The zone's bits: on a node, and near which edges.
    constexpr DWORD Node = 0x01, Left = 0x02, Right = 0x04, Top = 0x08, Bottom = 0x10;
    struct Case {
        POINT p;
        DWORD zone;
    };
    const std::vector<Case> cases = {
        {{mx, my}, Node},
        {{0, my}, Node | Left},
        {{kNear, my}, Node | Left},
        {{kNear + 1, my}, Node},
        {{r - kNear, my}, Node | Right},
        {{r - kNear - 1, my}, Node},
        {{mx, kNear}, Node | Top},
        {{mx, kNear + 1}, Node},
        {{mx, b - kNear}, Node | Bottom},
        {{mx, b - kNear - 1}, Node},
        {{1, 1}, Node | Left | Top},
        {{r - 1, 1}, Node | Right | Top},
        {{1, b - 1}, Node | Left | Bottom},
        {{r - 1, b - 1}, Node | Right | Bottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.p.x) + "," + std::to_string(c.p.y));
        EXPECT_EQ(target().UpdateDropNode(c.p), c.zone);
        TTreeNode* node = Tree().GetNodeAt(c.p.x, c.p.y);
        EXPECT_EQ(Internals(Tree()).DropNode(), node);
        EXPECT_EQ(DropHighlighted(Tree()), std::vector<TTreeNode*>{node});
    }
    top->Collapse(false);
    TTreeNode* last = Internals(Tree()).DropNode();
    EXPECT_EQ(target().UpdateDropNode({mx, b - 1}), 0u);
    EXPECT_EQ(Internals(Tree()).DropNode(), last);
}

TEST_F(DropTest, RestingAtAnEdgeScrollsOneLinePerDragOverAfterTheDelay) {
    FakeDataObject& data = Data({Wide(loose)});
    Enter(&data);
    RECT client{};
    GetClientRect(wnd(), &client);
    const POINT bottom{client.right / 2, client.bottom - 3};
    const POINT middle{client.right / 2, client.bottom / 2};
    TTreeNode* first = Tree().TopItem();

    EXPECT_EQ(Over(bottom), DWORD(DROPEFFECT_MOVE) | DROPEFFECT_SCROLL);
    EXPECT_EQ(state().scrollStart, 1000u) << "armed";
    EXPECT_EQ(state().vScrollCode, SB_LINEDOWN);
    EXPECT_EQ(state().hScrollCode, kNoScrollCode);
    services.now += 50;
    Over(bottom);
    EXPECT_EQ(Tree().TopItem(), first);
    EXPECT_TRUE(services.pauses.empty());
    services.now += 1;
    Over(bottom);
    EXPECT_EQ(Tree().TopItem(), NextVisible(Tree(), first)) << "one line";
    Over(bottom);
    EXPECT_EQ(Tree().TopItem(), NextVisible(Tree(), NextVisible(Tree(), first)));
    EXPECT_EQ(services.pauses, (std::vector<DWORD>{200, 200}));
    EXPECT_EQ(state().scrollStart, 1000u) << "not restarted";

    // Leaving the edge ends it.
    EXPECT_EQ(Over(middle), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(state().vScrollCode, kNoScrollCode);
    EXPECT_EQ(state().scrollStart, 0u);
    EXPECT_EQ(services.pauses.size(), 2u);

    // A corner arms both directions; the top edge scrolls up.
    services.now = 5000;
    Over({2, 2});
    EXPECT_EQ(state().hScrollCode, SB_LINELEFT);
    EXPECT_EQ(state().vScrollCode, SB_LINEUP);
    EXPECT_EQ(state().scrollStart, 5000u);
    Over({client.right / 2, 2});
    EXPECT_EQ(state().hScrollCode, kNoScrollCode) << "the side edge was left";
    EXPECT_EQ(state().vScrollCode, SB_LINEUP);
    Over({client.right - 2, 2});
    EXPECT_EQ(state().hScrollCode, SB_LINERIGHT);
    EXPECT_EQ(state().scrollStart, 5000u);

    // No node under the cursor: idle, no highlight, no drop.
    Over(bottom);
    top->Collapse(false);
    EXPECT_EQ(Over(bottom), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(state().vScrollCode, kNoScrollCode);
    EXPECT_EQ(state().hScrollCode, kNoScrollCode);
    EXPECT_EQ(state().scrollStart, 0u);
    EXPECT_TRUE(DropHighlighted(Tree()).empty());

    // A drag that left through the bottom edge and comes back straight into
    // it scrolls again after the delay.
    top->Expand(false);
    Over(bottom);
    target().DragLeave();
    Enter(&data);
    services.pauses.clear();
    Over(bottom);
    services.now += 51;
    Over(bottom);
    EXPECT_EQ(services.pauses, std::vector<DWORD>{200});
}

// A drop onto "a": the verbs asked, what came of them, the refresh and the
// box, with the real shell's cut or copy of the dropped file.
class DropVerbTest : public DropTest {
  protected:
    void SetUp() override {
        DropTest::SetUp();
        services.pathVerb = [this](HWND w, const std::wstring& path, TShellVerb verb) {
            pathVerbs.push_back({w, Narrow(path), verb});
            return InvokePathVerb(services, w, path, verb);
        };
        services.itemVerb = [this](HWND w, IShellFolder* f, LPCITEMIDLIST item, TShellVerb verb) {
            itemVerbs.push_back({w, f, verb});
            return InvokeItemVerb(services, w, f, item, verb);
        };
    }
    std::vector<HWND> Boxes() const { return services.OwnersOf(kSpecialFolderBox); }
    std::vector<HWND> Failures() const { return services.OwnersOf(kInvokeFailedBox); }
    HRESULT DropOn(TTreeNode* node, FakeDataObject& data, DWORD keys) {
        const POINTL at = ToScreen(wnd(), LabelCentre(Tree(), node));
        Enter(&data, keys);
        DWORD effect = 0xDEAD;
        const HRESULT hr = target().Drop(&data, keys, at, &effect);
        EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
        EXPECT_EQ(data.MediaHeld(), 0);
        return hr;
    }
    struct PathVerb {
        HWND wnd;
        std::string path;
        TShellVerb verb;
    };
    struct ItemVerb {
        HWND wnd;
        IShellFolder* folder;
        TShellVerb verb;
    };
    std::vector<PathVerb> pathVerbs;
    std::vector<ItemVerb> itemVerbs;
};

TEST_F(DropVerbTest, DropCutsOrCopiesThenPastesOnTheNodeAndRefreshes) {
    struct Case {
        DWORD keys;
        TShellVerb verb;
    };
    for (const Case c : {Case{0, svCut}, Case{MK_CONTROL, svCopy}}) {
        SCOPED_TRACE(c.keys);
        pathVerbs.clear();
        itemVerbs.clear();
        TTreeNode* node = FindChild(Tree(), top, "a");
        IShellFolder* folder = NodeData(node)->ParentFolder.Get();
        const int refreshes = Internals(Tree()).RefreshCount();
        FakeDataObject& data = Data({Wide(loose)});
        // Wine's item menus have no paste: cut or copy, then nothing moved.
        EXPECT_EQ(DropOn(node, data, c.keys), E_FAIL);
        ASSERT_EQ(pathVerbs.size(), 1u);
        EXPECT_EQ(pathVerbs[0].wnd, wnd());
        EXPECT_EQ(pathVerbs[0].path, loose);
        EXPECT_EQ(pathVerbs[0].verb, c.verb);
        ASSERT_EQ(itemVerbs.size(), 1u);
        EXPECT_EQ(itemVerbs[0].folder, folder);
        EXPECT_EQ(itemVerbs[0].verb, svPaste);
        EXPECT_EQ(Internals(Tree()).RefreshCount(), refreshes + 1);
        EXPECT_EQ(data.GetDataCalls(), 2) << "the data kept from DragEnter is read again";
        EXPECT_NE(GetFileAttributesA(loose.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Failures().empty());

    // No refresh without AutoUpDate.
    Tree().SetAutoUpDate(false);
    const int refreshes = Internals(Tree()).RefreshCount();
    FakeDataObject& data = Data({Wide(loose)});
    DropOn(FindChild(Tree(), top, "a"), data, 0);
    EXPECT_EQ(Internals(Tree()).RefreshCount(), refreshes);
}

// A verb that handles messages which rebuild the tree frees the target's
// record: the paste still goes to the target's own folder and item.
TEST_F(DropVerbTest, APasteAfterAVerbThatRebuiltTheTreeGoesToTheTargetsItem) {
    IShellFolder* const parent = NodeData(a)->ParentFolder.Get();
    const std::string item = ItemIDListBytes(NodeData(a)->RelativeID.get());
    services.pathVerb = [&](HWND, const std::wstring&, TShellVerb) {
        Tree().SetRootFolderName(tmp.Path("top\\a")); // a's record goes
        return true;
    };
    std::string pastedOn;
    services.itemVerb = [&](HWND, IShellFolder* folder, LPCITEMIDLIST pasted, TShellVerb) {
        EXPECT_EQ(folder, parent);
        pastedOn = ItemIDListBytes(pasted);
        return false;
    };
    FakeDataObject& data = Data({Wide(loose)});
    EXPECT_EQ(DropOn(a, data, 0), E_FAIL);
    EXPECT_EQ(pastedOn, item);
}

TEST_F(DropVerbTest, PasteOnAFakeFolderMenuGivesThePastedResultAndReleasesEverything) {
    FakeContextMenu menu;
    menu.items = {{25, "Copy"}, {26, "Paste-it(&P)"}};
    FakeShellFolder folder;
    folder.uiObject = &menu;
    folder.attributesOut = SFGAO_FOLDER;
    {
        TTVITEMDATA* record = NodeData(a);
        folder.displayNames = {DisplayNameReply::Wide(Wide(tmp.Path("top\\a")))};
        record->ParentFolder = &folder;
        FakeDataObject& data = Data({Wide(loose)});
        EXPECT_EQ(DropOn(a, data, MK_CONTROL), HRESULT(0x00100000));
        ASSERT_EQ(menu.invoked.size(), 1u);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(menu.Invocation(0).lpVerb), 26u);
        EXPECT_EQ(menu.Invocation(0).hwnd, wnd());
        EXPECT_EQ(pathVerbs.at(0).verb, svCopy);
        EXPECT_EQ(Internals(Tree()).RefreshCount(), 1);
    }
    {
        // A target whose name does not parse back: the box, nothing run.
        TTreeNode* node = FindChild(Tree(), top, "a");
        NodeData(node)->ParentFolder = &folder;
        folder.displayNames.clear();
        pathVerbs.clear();
        FakeDataObject& data = Data({Wide(loose)});
        EXPECT_EQ(DropOn(node, data, 0), E_FAIL);
        EXPECT_EQ(Boxes(), std::vector<HWND>{wnd()});
        EXPECT_TRUE(pathVerbs.empty());
        EXPECT_EQ(menu.invoked.size(), 1u);
    }
    {
        // Not a folder: copied whatever the keys, and no refresh.
        TTreeNode* node = FindChild(Tree(), top, "a");
        NodeData(node)->Attributes &= ~ULONG(SFGAO_FOLDER);
        folder.displayNames = {DisplayNameReply::Wide(Wide(tmp.Path("top\\a")))};
        const int refreshes = Internals(Tree()).RefreshCount();
        FakeDataObject& data = Data({Wide(loose)});
        EXPECT_EQ(DropOn(node, data, 0), HRESULT(0x00100000));
        EXPECT_EQ(pathVerbs.back().verb, svCopy);
        EXPECT_EQ(Internals(Tree()).RefreshCount(), refreshes);
    }
    Destroy();
    EXPECT_EQ(folder.References(), 0);
    EXPECT_EQ(menu.References(), 0);
    EXPECT_TRUE(Failures().empty());
}

TEST_F(DropVerbTest, DataNeverAcceptedOrNoNodeEndsWithoutVerbsOrBox) {
    const POINTL onA = ToScreen(wnd(), LabelCentre(Tree(), a));
    FakeDataObject& two = Data({Wide(loose), Wide(loose)});
    Enter(&two);
    Over(LabelCentre(Tree(), a));
    EXPECT_EQ(DropHighlighted(Tree()), std::vector<TTreeNode*>{a});
    DWORD effect = 0xDEAD;
    EXPECT_EQ(target().Drop(&two, 0, onA, &effect), E_FAIL);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_TRUE(DropHighlighted(Tree()).empty()) << "early failures clear the highlight";

    FakeDataObject& one = Data({Wide(loose)});
    Enter(&one);
    EXPECT_EQ(target().Drop(nullptr, 0, onA, &effect), E_FAIL);
    top->Collapse(false);
    EXPECT_EQ(target().Drop(&one, 0, onA, &effect), E_FAIL) << "no node there";
    EXPECT_EQ(one.GetDataCalls(), 1);
    EXPECT_TRUE(pathVerbs.empty());
    EXPECT_TRUE(itemVerbs.empty());
    EXPECT_TRUE(Boxes().empty());
}

// A point of the screen where no window of this process is: the desktop
// window, which Wine's explorer process owns.
POINT ForeignPoint() {
    return {GetSystemMetrics(SM_CXSCREEN) - 3, GetSystemMetrics(SM_CYSCREEN) - 3};
}

TEST_F(DropTest, TheSourceGoesOnWhileAButtonIsDownAndRefreshesBeforeADropElsewhere) {
    Microsoft::WRL::ComPtr<IDropSource> source = MakeUnknownObject<TDropSourceObject>(Tree());
    ShowWindow(Host().form.Handle(), SW_SHOWNOACTIVATE);
    const POINTL onTree = ToScreen(wnd(), {150, 100});
    const POINT own{onTree.x, onTree.y};
    struct Case {
        POINT cursor;
        bool autoUpDate;
        BOOL escape;
        DWORD keys;
        HRESULT answer;
        bool refreshed;
    };
    const POINT away = ForeignPoint();
    const std::vector<Case> cases = {
        {own, true, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL, false},
        {own, true, FALSE, MK_LBUTTON, S_OK, false},
        {own, true, FALSE, MK_RBUTTON | MK_CONTROL, S_OK, false},
        {own, true, FALSE, MK_CONTROL, DRAGDROP_S_DROP, false},
        {away, true, TRUE, 0, DRAGDROP_S_CANCEL, false},
        {away, true, FALSE, MK_LBUTTON, S_OK, false},
        {away, false, FALSE, 0, DRAGDROP_S_DROP, false},
        {away, true, FALSE, MK_SHIFT, DRAGDROP_S_DROP, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cursor.x) + " escape " + std::to_string(c.escape) + " keys " +
                     std::to_string(c.keys));
        ASSERT_TRUE(SetCursorPos(c.cursor.x, c.cursor.y));
        ASSERT_EQ(CursorOverOtherProcess(), c.cursor.x == away.x);
        Tree().SetAutoUpDate(c.autoUpDate);
        services.pauses.clear();
        const int refreshes = Internals(Tree()).RefreshCount();
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.answer);
        EXPECT_EQ(Internals(Tree()).RefreshCount(), refreshes + (c.refreshed ? 1 : 0));
        // The settling pause, then the reload's own.
        EXPECT_EQ(services.pauses,
                  (c.refreshed ? std::vector<DWORD>{1500, 1000} : std::vector<DWORD>{}));
    }
    for (DWORD effect : {DWORD(DROPEFFECT_NONE), DWORD(DROPEFFECT_MOVE),
                         DWORD(DROPEFFECT_COPY | DROPEFFECT_SCROLL)})
        EXPECT_EQ(source->GiveFeedback(effect), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST_F(DropTest, BeginDragStartsTheShellsDragOnlyWhenDragAndDropIsOn) {
    const POINT away = ForeignPoint();
    ASSERT_TRUE(SetCursorPos(away.x, away.y));
    // No button is down: the drag ends at once, over another program.
    Tree().SetDragAndDrop(false);
    EXPECT_EQ(BeginDrag(a), 0);
    EXPECT_TRUE(services.pauses.empty());
    EXPECT_EQ(Internals(Tree()).RefreshCount(), 0);

    Tree().SetDragAndDrop(true);
    EXPECT_EQ(BeginDrag(FindChild(Tree(), top, "a")), 0);
    EXPECT_EQ(services.pauses, (std::vector<DWORD>{1500, 1000, 1000}))
        << "settling before the drop, and a reload before and after it";
    EXPECT_EQ(Internals(Tree()).RefreshCount(), 2) << "and once more after it";
    EXPECT_NE(GetFileAttributesA(tmp.Path("top\\a").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The target is held locked while its window is registered; when the
// window goes, every reference taken for the registration and the lock is
// given back, and the tree lets go of its own when it goes.
TEST_F(DropTest, TheTargetIsHeldWhileRegisteredAndEveryReferenceIsGivenBack) {
    Microsoft::WRL::ComPtr<IDropTarget> held(&target());
    const auto count = [&] {
        held->AddRef();
        return held->Release();
    };
    EXPECT_GT(count(), 2u) << "held for the registration beside the tree's and the test's";
    Tree().DestroyHandle();
    EXPECT_EQ(count(), 2u) << "the tree's and the test's alone";
    Destroy();
    EXPECT_EQ(count(), 1u) << "the test's alone";
}

// A person drags the shell's own data object of a file over the tree with
// the X server's pointer and lets go on a collapsed folder node after
// resting on it: the node opens and takes the drop; under Wine there is no
// paste, so the file stays where it was.
TEST_F(DropVerbTest, APersonDropsAFileOnACollapsedFolderNodeAfterRestingOnIt) {
    services.realClock = true; // a person rests for real
    ShowWindow(Host().form.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(Host().form.Handle());
    // The press is on a window of its own: one on the tree would start the
    // tree's own drag of that node.
    RECT rc{};
    GetWindowRect(wnd(), &rc);
    HWND pad = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, rc.right + 20, rc.top, 40, 40,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(pad, nullptr);
    const POINTL from{rc.right + 40, rc.top + 20};
    const POINTL to = ToScreen(wnd(), LabelCentre(Tree(), a));
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    UniqueItemIDList list = PathToItemIDList(loose);
    ASSERT_TRUE(list && GetParentFolder(list.get(), folder, item));
    LPCITEMIDLIST one = item.get();
    Microsoft::WRL::ComPtr<IDataObject> data;
    ASSERT_EQ(folder->GetUIObjectOf(wnd(), 1, &one, IID_IDataObject, nullptr,
                                    reinterpret_cast<void**>(data.GetAddressOf())),
              S_OK);

    // Press, a dozen moves 50 ms apart, two seconds at rest, release.
    std::ostringstream script;
    script << "(xdotool mousemove " << from.x << " " << from.y << " mousedown 1; sleep 0.3;";
    for (int i = 1; i <= 12; ++i)
        script << " xdotool mousemove " << from.x + (to.x - from.x) * i / 12 << " "
               << from.y + (to.y - from.y) * i / 12 << "; sleep 0.05;";
    script << " sleep 2.2; xdotool mouseup 1) >/dev/null 2>&1 &";
    ASSERT_EQ(RunUnixShell(script.str()), 0);
    // OLE reads the button from the thread's own key state: let the press
    // reach it first.
    ASSERT_TRUE(e2e::waitUntil([] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        return (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
    }));

    Microsoft::WRL::ComPtr<IDropSource> source = MakeUnknownObject<TDropSourceObject>(Tree());
    DWORD effect = 0xDEAD;
    const HRESULT status = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_MOVE, &effect);
    // Wine's DoDragDrop hands back the target's failure: there was no paste.
    EXPECT_EQ(status, E_FAIL);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    DestroyWindow(pad);
    // The drop on a folder refreshed the tree, which keeps opened nodes open.
    TTreeNode* folderA = FindChild(Tree(), Tree().Items().GetFirstNode(), "a");
    ASSERT_NE(folderA, nullptr);
    EXPECT_TRUE(folderA->Expanded()) << "opened after resting on it";
    EXPECT_EQ(Internals(Tree()).RefreshCount(), 1);
    ASSERT_EQ(pathVerbs.size(), 1u);
    EXPECT_EQ(pathVerbs[0].path, loose);
    EXPECT_EQ(pathVerbs[0].verb, svCut);
    ASSERT_EQ(itemVerbs.size(), 1u);
    EXPECT_EQ(itemVerbs[0].verb, svPaste);
    EXPECT_NE(GetFileAttributesA(loose.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing lost";
    EXPECT_EQ(GetFileAttributesA(tmp.Path("top\\a\\loose.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A window that takes any drop and keeps the paths of its CF_HDROP.
class RecordingTarget : public CountedObject<IDropTarget> {
  public:
    std::vector<std::wstring> dropped;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            auto drop = static_cast<HDROP>(medium.hGlobal);
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                wchar_t path[MAX_PATH + 1] = {};
                DragQueryFileW(drop, i, path, MAX_PATH + 1);
                dropped.push_back(path);
            }
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
};

// A person drags a folder node out of the tree onto another window: the
// shell's data object of exactly that folder arrives, and the folder stays.
TEST_F(DropTest, APersonDragsAFolderNodeOutOfTheTreeOntoAWindowThatTakesFiles) {
    services.realClock = true;
    ShowWindow(Host().form.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(Host().form.Handle());
    RECT rc{};
    GetWindowRect(wnd(), &rc);
    // Not a static control: the pointer sees through those.
    HWND pad = CreateWindowA("EDIT", "", WS_POPUP | WS_VISIBLE | ES_READONLY, rc.right + 20, rc.top,
                             80, 80, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(pad, nullptr);
    RecordingTarget recorder;
    ASSERT_EQ(RegisterDragDrop(pad, &recorder), S_OK);
    const POINTL from = ToScreen(wnd(), LabelCentre(Tree(), a));
    const POINTL to{rc.right + 60, rc.top + 40};
    std::ostringstream script;
    script << "(xdotool mousemove " << from.x << " " << from.y << " mousedown 1; sleep 0.3;";
    for (int i = 1; i <= 12; ++i)
        script << " xdotool mousemove " << from.x + (to.x - from.x) * i / 12 << " "
               << from.y + (to.y - from.y) * i / 12 << "; sleep 0.05;";
    script << " sleep 0.5; xdotool mouseup 1) >/dev/null 2>&1 &";
    ASSERT_EQ(RunUnixShell(script.str()), 0);
    // The tree view sees the press and the moves, and starts the drag.
    EXPECT_TRUE(e2e::waitUntil([&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        return !recorder.dropped.empty();
    }));
    EXPECT_EQ(recorder.dropped, std::vector<std::wstring>{Wide(tmp.Path("top\\a"))});
    EXPECT_EQ(Internals(Tree()).RefreshCount(), 0) << "no other program took it";
    RevokeDragDrop(pad);
    DestroyWindow(pad);
    EXPECT_EQ(recorder.References(), 0);
    EXPECT_NE(GetFileAttributesA(tmp.Path("top\\a").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Drive nodes: the drive type decides whether resting opens them.
using DropDriveTest = HostedTreeTest;

TEST_F(DropDriveTest, RestingNeverOpensARemovableDriveNode) {
    TFolderTreeViewExProps props;
    props.tree.control = {.left = 0, .top = 0, .width = 300, .height = 200};
    TFolderTreeViewEx& tree = Make(props);
    TTreeNode* c = ChildAt(tree, First(), L"C:\\");
    ASSERT_NE(c, nullptr);
    TDropTargetObject& target = Internals(tree).DropTarget();
    std::vector<std::string> asked;
    UINT type = DRIVE_REMOVABLE;
    services.driveType = [&](const char* root) {
        asked.push_back(root);
        return type;
    };
    EXPECT_TRUE(target.IsRemovableDriveNode(c));
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\"});
    EXPECT_FALSE(target.IsRemovableDriveNode(First())) << "one level down";

    FakeDataObject& data =
        Outliving<FakeDataObject>(std::vector<std::wstring>{Wide(tmp.File("x.txt"))});
    DWORD effect = 0;
    target.DragEnter(&data, MK_LBUTTON, {0, 0}, &effect);
    ASSERT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    const POINTL at = ToScreen(tree.Handle(), LabelCentre(tree, c));
    for (UINT t : {UINT(DRIVE_REMOVABLE), UINT(DRIVE_FIXED)}) {
        type = t;
        c->Collapse(false);
        target.DragOver(MK_LBUTTON, {at.x + 1, at.y}, &effect);
        target.DragOver(MK_LBUTTON, at, &effect);
        target.DragOver(MK_LBUTTON, at, &effect);
        services.now += 1500 + 1;
        target.DragOver(MK_LBUTTON, at, &effect);
        EXPECT_EQ(c->Expanded(), t == DRIVE_FIXED);
        services.now -= 1500 + 1;
    }
    target.DragEnter(nullptr, 0, {0, 0}, &effect);
}

} // namespace
