// The shell's context menu on the folder tree: running verbs without a menu,
// finding menu items by label, the right-click menu with its command and
// follow-ups, and the owner hook while the menu is up. Where Windows' exact
// protocol must be shown (identifiers Wine's menus do not have, failures,
// references) the shell objects are fakes; the rest runs on Wine's shell.
#include "folder_tree/ShellVerbs.h"
#include "tests/support/FakeContextMenu.h"
#include "tests/support/FakeShell.h"
#include "tests/support/HostedTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Windows' identifiers of the commands the tree knows, each with an
// accelerator the test types to choose it.
const std::vector<FakeContextMenu::Item> kWindowsItems = {
    {16, "&a link"}, {17, "&b delete"}, {18, "&c rename"},
    {24, "&d cut"},  {25, "&e copy"},   {26, "&f paste"},
};

// A plain window to hand the shell as owner.
struct PlainWindow {
    PlainWindow()
        : hwnd(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr)) {}
    ~PlainWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// Every field of an invocation as the shell must get it.
void ExpectInvocation(const FakeContextMenu& menu, size_t k, HWND owner, UINT command) {
    ASSERT_LT(k, menu.invoked.size());
    ASSERT_EQ(menu.invoked[k].size(), sizeof(CMINVOKECOMMANDINFO));
    const CMINVOKECOMMANDINFO& info = menu.Invocation(k);
    EXPECT_EQ(info.cbSize, sizeof(CMINVOKECOMMANDINFO));
    EXPECT_EQ(info.fMask, 0u);
    EXPECT_EQ(info.hwnd, owner);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(info.lpVerb), UINT_PTR(command - 1));
    EXPECT_EQ(info.lpParameters, nullptr);
    EXPECT_EQ(info.lpDirectory, nullptr);
    EXPECT_EQ(info.nShow, SW_SHOWNORMAL);
    EXPECT_EQ(info.dwHotKey, 0u);
    EXPECT_EQ(info.hIcon, nullptr);
}

void ExpectQueriedOnceAndMenuGone(const FakeContextMenu& menu) {
    ASSERT_EQ(menu.queries.size(), 1u);
    const FakeContextMenu::Query& q = menu.queries[0];
    EXPECT_EQ(q.indexMenu, 0u);
    EXPECT_EQ(q.idCmdFirst, 1u);
    EXPECT_EQ(q.idCmdLast, 0x7FFFu);
    EXPECT_EQ(q.flags, UINT(CMF_EXPLORE));
    EXPECT_FALSE(IsMenu(q.menu)) << "the menu must be destroyed";
}

// The box that reports a refused command.
constexpr char kInvokeFailedBox[] = "InvokeCommand failed!";

// Records the boxes that report a refused command instead of showing them.
struct FailureReports : TestTreeServices {
    std::vector<HWND> Owners() const { return OwnersOf(kInvokeFailedBox); }
};

} // namespace

TEST(ShellVerbs, FindMenuItemByTextMatchesOnlyEnabledItemsAtThePosition) {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuA(menu.get(), MF_STRING | MF_GRAYED, 1, "12345678(&P)");
    AppendMenuA(menu.get(), MF_STRING | MF_DISABLED, 2, "12345678(&P)");
    AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu.get(), MF_STRING, 3, "1234(&P)");             // too early
    AppendMenuA(menu.get(), MF_STRING, 4, "123456789(&P)");        // too late
    AppendMenuA(menu.get(), MF_STRING, 5, "ab(&P)cd(&P)");         // twice, the first too early
    AppendMenuA(menu.get(), MF_STRING, 6, "\x93\x5C\x82\xE8(&P)"); // a DBCS label: bytes count
    AppendMenuA(menu.get(), MF_STRING, 7, "12345678(&P)");
    AppendMenuA(menu.get(), MF_STRING, 8, "abcdefgh(&P)");
    EXPECT_EQ(FindMenuItemByText(menu.get(), "(&P)", 9), 8);
    EXPECT_EQ(FindMenuItemByText(menu.get(), "(&P)", 5), 4);
    EXPECT_EQ(FindMenuItemByText(menu.get(), "(&P)", 3), 6);
    EXPECT_EQ(FindMenuItemByText(menu.get(), "(&P)", 10), 5);
    EXPECT_EQ(FindMenuItemByText(menu.get(), "(&X)", 9), -1);
    // Only the disabled and grayed ones hold it at byte 1.
    UniqueMenu offered(CreatePopupMenu());
    AppendMenuA(offered.get(), MF_STRING | MF_GRAYED, 1, "(&P)");
    AppendMenuA(offered.get(), MF_STRING | MF_DISABLED, 2, "(&P)");
    EXPECT_EQ(FindMenuItemByText(offered.get(), "(&P)", 1), -1);
    UniqueMenu empty(CreatePopupMenu());
    EXPECT_EQ(FindMenuItemByText(empty.get(), "(&P)", 9), -1);
}

TEST(ShellVerbs, InvokeItemVerbChecksAttributesAndPasteItemAndInvokesWithoutShowing) {
    PlainWindow owner;
    const std::string item = BuildItemIDList({"item"});
    struct Case {
        const char* name;
        TShellVerb verb;
        SFGAOF attributes;
        HRESULT attributesResult;
        std::vector<FakeContextMenu::Item> items;
        HRESULT invokeResult;
        bool menuBuilt, invoked, result, reported;
    };
    const std::vector<FakeContextMenu::Item> pasteItem = {{26, "12345678(&P)"}};
    const Case cases[] = {
        {"cut without CANMOVE", svCut, ~SFGAOF(SFGAO_CANMOVE), S_OK, kWindowsItems, S_OK, false,
         false, false, false},
        {"copy without CANCOPY", svCopy, ~SFGAOF(SFGAO_CANCOPY), S_OK, kWindowsItems, S_OK, false,
         false, false, false},
        {"attributes not S_OK", svCopy, SFGAO_CANCOPY, S_FALSE, kWindowsItems, S_OK, false, false,
         false, false},
        {"copy", svCopy, SFGAO_CANCOPY, S_OK, kWindowsItems, S_OK, true, true, true, false},
        {"cut", svCut, SFGAO_CANMOVE, S_OK, kWindowsItems, S_OK, true, true, true, false},
        {"link", svLink, SFGAO_CANLINK, S_OK, kWindowsItems, S_OK, true, true, true, false},
        {"delete refused", svDelete, SFGAO_CANDELETE, S_OK, kWindowsItems, E_FAIL, true, true,
         false, true},
        {"paste offered", svPaste, 0, S_OK, pasteItem, S_OK, true, true, true, false},
        {"paste not offered",
         svPaste,
         0,
         S_OK,
         {{26, "Paste(&P)"}},
         S_OK,
         true,
         false,
         false,
         false},
        {"paste grayed",
         svPaste,
         0,
         S_OK,
         {{26, "12345678(&P)", MF_STRING | MF_GRAYED}},
         S_OK,
         true,
         false,
         false,
         false},
    };
    const UINT commands[] = {17, 18, 25, 26, 27};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FailureReports reports;
        FakeContextMenu menu;
        FakeShellFolder folder;
        menu.items = c.items;
        menu.invokeResult = c.invokeResult;
        folder.uiObject = &menu;
        folder.attributesOut = c.attributes;
        folder.attributesResult = c.attributesResult;
        EXPECT_EQ(InvokeItemVerb(reports, owner.hwnd, &folder, AsItemIDList(item), c.verb),
                  c.result);
        ASSERT_EQ(folder.attributesIn.size(), 1u);
        EXPECT_EQ(folder.attributesIn[0], 0x800F0177u);
        EXPECT_EQ(folder.uiObjectRequests, c.menuBuilt ? 1 : 0);
        if (c.menuBuilt) ExpectQueriedOnceAndMenuGone(menu);
        ASSERT_EQ(menu.invoked.size(), c.invoked ? 1u : 0u);
        if (c.invoked) ExpectInvocation(menu, 0, owner.hwnd, commands[c.verb]);
        EXPECT_EQ(reports.Owners(),
                  c.reported ? std::vector<HWND>{owner.hwnd} : std::vector<HWND>{});
        EXPECT_EQ(menu.References(), 0);
        EXPECT_EQ(folder.References(), 0);
    }
    // Nothing is asked without an owner, a folder, an item or a known verb.
    FailureReports reports;
    FakeShellFolder folder;
    EXPECT_FALSE(InvokeItemVerb(reports, nullptr, &folder, AsItemIDList(item), svCopy));
    EXPECT_FALSE(InvokeItemVerb(reports, owner.hwnd, nullptr, AsItemIDList(item), svCopy));
    EXPECT_FALSE(InvokeItemVerb(reports, owner.hwnd, &folder, nullptr, svCopy));
    EXPECT_FALSE(InvokeItemVerb(reports, owner.hwnd, &folder, AsItemIDList(item), TShellVerb(5)));
    EXPECT_TRUE(folder.attributesIn.empty());
}

TEST(ShellVerbs, InvokePathVerbRunsWinesCopyOnARealFile) {
    PlainWindow owner;
    TempTree tmp;
    const std::string file = tmp.File("copied.txt");
    FailureReports reports;
    EXPECT_TRUE(InvokePathVerb(reports, owner.hwnd, Wide(file), svCopy));
    // The shell's copy put the file on the clipboard.
    ASSERT_TRUE(OpenClipboard(nullptr));
    const bool hasDrop = IsClipboardFormatAvailable(CF_HDROP);
    CloseClipboard();
    EXPECT_TRUE(hasDrop);
    EXPECT_FALSE(InvokePathVerb(reports, owner.hwnd, Wide(tmp.Path("missing.txt")), svCopy));
    EXPECT_FALSE(InvokePathVerb(reports, nullptr, Wide(file), svCopy));
    EXPECT_TRUE(reports.Owners().empty());
}

// ---- the right-click menu on a tree ----

namespace {

// What the test does while a menu is up: run `during` once, then type
// `key` (an accelerator; 0 dismisses the menu).
struct MenuScript {
    char key = 0;
    std::function<void(HWND owner)> during;
    bool menuSeen = false;
    std::vector<UINT> ownerSaw; // messages the owner's own procedure got
};
MenuScript* gScript = nullptr;
WindowSubclass* gOwnerSpy = nullptr;
constexpr UINT_PTR kSafetyTimer = 0x4D45;

LRESULT CALLBACK OwnerSpyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (gScript) {
        gScript->ownerSaw.push_back(msg);
        if (msg == WM_ENTERIDLE && wp == MSGF_MENU && !gScript->menuSeen) {
            gScript->menuSeen = true;
            if (gScript->during) gScript->during(hwnd);
            if (gScript->key)
                PostMessageA(hwnd, WM_CHAR, WPARAM(gScript->key), 0);
            else
                PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        } else if (msg == WM_TIMER && wp == kSafetyTimer) {
            EndMenu(); // never left hanging by a menu that missed its keys
        }
    }
    return gOwnerSpy->Call(msg, wp, lp);
}

bool Seen(const std::vector<UINT>& msgs, UINT msg) {
    return std::find(msgs.begin(), msgs.end(), msg) != msgs.end();
}

// A tree over the test's folders whose node "alpha" has a fake for its
// shell folder; the owner form's procedure is spied on while it is shown.
class FolderTreeMenu : public HostedTreeTest {
  protected:
    void SetUp() override {
        tmp.Dir("alpha");
        tmp.Dir("beta");
    }
    void TearDown() override {
        Close();
        HostedTreeTest::TearDown();
    }
    // The tree shown, "alpha" found (null if not) and handed `folder`.
    TTreeNode* Show(FakeShellFolder& folder, MenuScript& script) {
        Close();
        Make([](auto& p) {
            p.tree.control.width = 300;
            p.tree.control.height = 220;
        });
        ShowWindow(Owner(), SW_SHOW);
        TTreeNode* node = FindChild(Tree(), First(), "alpha");
        if (node) NodeData(node)->ParentFolder = &folder;
        gScript = &script;
        spy.emplace(Owner(), OwnerSpyProc);
        gOwnerSpy = &*spy;
        SetTimer(Owner(), kSafetyTimer, 10000, nullptr);
        return node;
    }
    // The tree shown with Windows' items on "alpha"'s fake folder.
    struct Faked {
        FakeContextMenu& menu;
        FakeShellFolder& folder;
        TTreeNode* node;
    };
    Faked ShowFaked(MenuScript& script) {
        FakeContextMenu& menu = Outliving<FakeContextMenu>();
        FakeShellFolder& folder = Outliving<FakeShellFolder>();
        menu.items = kWindowsItems;
        folder.uiObject = &menu;
        TTreeNode* node = Show(folder, script);
        return {menu, folder, node};
    }
    // The spy gone first, then the tree.
    void Close() {
        if (!spy) return;
        KillTimer(Owner(), kSafetyTimer);
        spy.reset();
        gOwnerSpy = nullptr;
        gScript = nullptr;
        Destroy();
    }
    // A right click at the middle of `target`'s label.
    void RightClick(TTreeNode* target) {
        RECT r{};
        TreeView_GetItemRect(Tree().Handle(), target->ItemId(), &r, TRUE);
        RightClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void RightClickAt(int x, int y) {
        // The tree view follows the pressed button until its release.
        PostMessageA(Tree().Handle(), WM_RBUTTONUP, 0, MAKELPARAM(x, y));
        SendMessageA(Tree().Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    }
    HWND Owner() { return Host().form.Handle(); }
    HWND EditControl() { return HWND(SendMessageA(Tree().Handle(), TVM_GETEDITCONTROL, 0, 0)); }
    bool EditStyle() { return (GetWindowLongA(Tree().Handle(), GWL_STYLE) & TVS_EDITLABELS) != 0; }
    std::vector<HWND> Failures() const { return services.OwnersOf(kInvokeFailedBox); }

    std::optional<WindowSubclass> spy;
};

} // namespace

TEST_F(FolderTreeMenu, EachCommandIsInvokedAndFollowedUpOnlyWithAutoUpDate) {
    enum FollowUp { None, NodeDeleted, Refreshed, Editing };
    struct Case {
        const char* name;
        char key; // 0: dismissed
        bool autoUpDate;
        HRESULT invokeResult;
        UINT command;
        FollowUp followUp;
        bool reported;
    };
    const Case cases[] = {
        {"delete", 'b', true, S_OK, 18, NodeDeleted, false},
        {"delete without AutoUpDate", 'b', false, S_OK, 18, None, false},
        {"link", 'a', true, S_OK, 17, Refreshed, false},
        {"paste", 'f', true, S_OK, 27, Refreshed, false},
        {"paste without AutoUpDate", 'f', false, S_OK, 27, None, false},
        {"rename refused by the shell", 'c', true, E_FAIL, 19, Editing, false},
        {"rename without AutoUpDate", 'c', false, S_OK, 19, None, false},
        {"cut", 'd', true, S_OK, 25, None, false},
        {"copy refused", 'e', true, E_FAIL, 26, None, true},
        {"delete refused", 'b', true, E_FAIL, 18, None, true},
        {"dismissed", 0, true, S_OK, 0, None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        FakeContextMenu& menu = Outliving<FakeContextMenu>();
        FakeShellFolder& folder = Outliving<FakeShellFolder>();
        menu.items = kWindowsItems;
        menu.invokeResult = c.invokeResult;
        folder.uiObject = &menu;
        MenuScript script;
        script.key = c.key;
        TTreeNode* node = Show(folder, script);
        ASSERT_NE(node, nullptr);
        Tree().SetAutoUpDate(c.autoUpDate);
        const int records = Internals(Tree()).LiveNodeRecords();
        RightClick(node);
        EXPECT_TRUE(script.menuSeen);
        ExpectQueriedOnceAndMenuGone(menu);
        ASSERT_EQ(menu.invoked.size(), c.command ? 1u : 0u);
        if (c.command) ExpectInvocation(menu, 0, Owner(), c.command);
        EXPECT_EQ(Failures(), c.reported ? std::vector<HWND>{Owner()} : std::vector<HWND>{});
        TTreeNode* alpha = FindChild(Tree(), First(), "alpha");
        EXPECT_EQ(alpha != nullptr, c.followUp != NodeDeleted);
        EXPECT_EQ(Internals(Tree()).LiveNodeRecords(),
                  records - (c.followUp == NodeDeleted ? 1 : 0));
        // A refresh reads every item anew: no record keeps the fake.
        EXPECT_EQ(folder.References() == 0, c.followUp == Refreshed || c.followUp == NodeDeleted);
        EXPECT_EQ(EditControl() != nullptr, c.followUp == Editing);
        if (EditControl()) {
            SendMessageA(Tree().Handle(), TVM_ENDEDITLABELNOW, TRUE, 0);
            EXPECT_FALSE(EditStyle()) << "the lent edit style goes back";
        }
        // The menu object stays with the tree until the next menu.
        EXPECT_EQ(menu.References(), 1);
        EXPECT_FALSE(EditStyle());
        Close();
        EXPECT_EQ(menu.References(), 0);
        EXPECT_EQ(folder.References(), 0);
    }
}

TEST_F(FolderTreeMenu, OwnerHookHandsTheDrawingMessagesToTheMenuOnlyWhileItIsUp) {
    struct Case {
        const char* name;
        bool answersMenu2, designing, hooked;
    };
    const Case cases[] = {
        {"hooked", true, false, true},
        {"in design mode", true, true, false},
        {"a menu without IContextMenu2", false, false, false},
    };
    const UINT drawing[] = {WM_INITMENUPOPUP, WM_DRAWITEM, WM_MEASUREITEM};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeContextMenu& menu = Outliving<FakeContextMenu>();
        FakeShellFolder& folder = Outliving<FakeShellFolder>();
        menu.items = kWindowsItems;
        menu.answersMenu2 = c.answersMenu2;
        menu.handleResult = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0x4321);
        folder.uiObject = &menu;
        MenuScript script;
        script.key = 'd';
        TTreeNode* node = Show(folder, script);
        ASSERT_NE(node, nullptr);
        Tree().SetDesigning(c.designing);
        std::vector<TTreeNode*> changedBeforeMenu;
        int changes = 0;
        Tree().OnChange = [&](TObject*, const std::string&) { ++changes; };
        std::vector<LRESULT> results;
        size_t ownerSawBefore = 0, menuMsgsBefore = 0;
        WNDPROC during = nullptr;
        script.during = [&](HWND owner) {
            changedBeforeMenu.push_back(changes ? Tree().Selected() : nullptr);
            during = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(owner, GWLP_WNDPROC));
            ownerSawBefore = script.ownerSaw.size();
            menuMsgsBefore = menu.menuMsgs.size();
            for (UINT msg : drawing)
                results.push_back(SendMessageA(owner, msg, 0x11 + msg, 0x22 + msg));
            results.push_back(SendMessageA(owner, WM_USER + 7, 1, 2));
        };
        RightClick(node);
        ASSERT_TRUE(script.menuSeen);
        EXPECT_EQ(changedBeforeMenu, std::vector<TTreeNode*>{node})
            << "the clicked node is selected, its change told, before the menu";
        const std::vector<UINT> sawDuring(script.ownerSaw.begin() + ptrdiff_t(ownerSawBefore),
                                          script.ownerSaw.end());
        EXPECT_TRUE(Seen(sawDuring, WM_USER + 7)) << "other messages reach the owner";
        ASSERT_EQ(results.size(), 4u);
        if (c.hooked) {
            EXPECT_NE(during, &OwnerSpyProc);
            ASSERT_EQ(menu.menuMsgs.size(), menuMsgsBefore + 3);
            for (size_t k = 0; k < 3; ++k) {
                const FakeContextMenu::MenuMsg& m = menu.menuMsgs[menuMsgsBefore + k];
                EXPECT_EQ(m.msg, drawing[k]);
                EXPECT_EQ(m.wp, WPARAM(0x11 + drawing[k]));
                EXPECT_EQ(m.lp, LPARAM(0x22 + drawing[k]));
                EXPECT_EQ(results[k], LRESULT(menu.handleResult));
                EXPECT_FALSE(Seen(sawDuring, drawing[k]));
            }
            // The menu's own opening went to the menu object as well.
            ASSERT_GT(menuMsgsBefore, 0u);
            EXPECT_EQ(menu.menuMsgs[0].msg, UINT(WM_INITMENUPOPUP));
            EXPECT_EQ(menu.menuMsgs[0].wp, WPARAM(menu.queries.at(0).menu));
        } else {
            EXPECT_EQ(during, &OwnerSpyProc);
            EXPECT_TRUE(menu.menuMsgs.empty());
            for (UINT msg : drawing)
                EXPECT_TRUE(Seen(sawDuring, msg));
        }
        // The command ran either way, and afterwards the owner has its own
        // procedure back.
        EXPECT_EQ(menu.invoked.size(), 1u);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Owner(), GWLP_WNDPROC)),
                  &OwnerSpyProc);
        const size_t afterMenu = menu.menuMsgs.size();
        SendMessageA(Owner(), WM_INITMENUPOPUP, 0, 0);
        EXPECT_EQ(menu.menuMsgs.size(), afterMenu);
        EXPECT_EQ(script.ownerSaw.back(), UINT(WM_INITMENUPOPUP));
        Close();
    }
}

// A host whose OnChange rebuilds the tree (a new root) frees the clicked
// node while it is being selected: the menu is still the clicked item's, and
// its delete touches no node that went.
TEST_F(FolderTreeMenu, AHostThatRebuildsOnTheSelectionLeavesNoFreedNodeInUse) {
    MenuScript script;
    script.key = 'b'; // delete
    auto [menu, folder, node] = ShowFaked(script);
    ASSERT_NE(node, nullptr);
    // Selected and focused first: the tree view selects on its own when it
    // gets the focus with nothing selected.
    Tree().SetSelected(First());
    SetFocus(Tree().Handle());
    const std::string other = tmp.Dir("other");
    tmp.Dir("other\\inside");
    Tree().OnChange = [&](TObject*, const std::string&) { Tree().SetRootFolderName(other); };
    RightClick(node);
    EXPECT_TRUE(script.menuSeen);
    EXPECT_EQ(folder.uiObjectRequests, 1) << "the clicked item's menu";
    EXPECT_EQ(menu.invoked.size(), 1u);
    EXPECT_EQ(NodePath(First()), other);
    EXPECT_EQ(ChildTexts(Tree(), First()), (std::vector<std::string>{"inside"}));
}

// A procedure installed on the owner above the hook while the menu is up
// keeps the hook in the chain: later messages still reach the owner's own
// procedure, and the next menu takes the hook out.
WindowSubclass* gAbove = nullptr;
LRESULT CALLBACK AboveProc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    return gAbove->Call(msg, wp, lp);
}

TEST_F(FolderTreeMenu, AProcedureInstalledAboveTheHookLeavesTheOwnerItsOwn) {
    MenuScript script;
    script.key = 'd'; // cut
    TTreeNode* node = ShowFaked(script).node;
    ASSERT_NE(node, nullptr);
    std::optional<WindowSubclass> above;
    script.during = [&](HWND owner) { gAbove = &above.emplace(owner, AboveProc); };
    RightClick(node);
    ASSERT_TRUE(script.menuSeen);
    SendMessageA(Owner(), WM_USER + 9, 0, 0);
    EXPECT_TRUE(Seen(script.ownerSaw, WM_USER + 9)) << "the owner's own procedure got it";
    above.reset();
    script = MenuScript{}; // dismissed, with nothing installed

    RightClick(node);
    EXPECT_TRUE(script.menuSeen);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Owner(), GWLP_WNDPROC)), &OwnerSpyProc);
}

// Labels change through the shell's rename only: the tree view's read-only
// switch, which would let a click start an edit, is not the control's.
template <class Tree> constexpr bool kReadOnlySwitch = requires(Tree& tree) {
    tree.SetReadOnly(false);
}
|| requires(const Tree& tree) {
    tree.ReadOnly();
};
static_assert(kReadOnlySwitch<TCustomTreeView> && !kReadOnlySwitch<TFolderTreeViewEx>);

TEST_F(FolderTreeMenu, NoMenuWithoutContextMenuOrANodeUnderThePoint) {
    MenuScript script;
    auto [menu, folder, node] = ShowFaked(script);
    ASSERT_NE(node, nullptr);
    TTreeNode* selected = First();
    Tree().SetSelected(selected);
    ASSERT_NE(selected, node);
    Tree().SetContextMenu(false);
    RightClick(node);
    EXPECT_EQ(Tree().Selected(), selected) << "not selected by this handler";
    Tree().SetContextMenu(true);
    RECT client{};
    GetClientRect(Tree().Handle(), &client);
    RightClickAt(client.right - 2, client.bottom - 2); // below the last node
    EXPECT_EQ(folder.uiObjectRequests, 0);
    EXPECT_FALSE(script.menuSeen);
    EXPECT_TRUE(menu.queries.empty());
}
