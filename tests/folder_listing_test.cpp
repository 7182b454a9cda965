// A node's children listed off the window's thread: what the comparison of
// the children shown with those listed finds, as plain data; and a tree over
// real folders whose listings are held on their own threads, so that the
// window is seen answering, the placeholder, the children that come, and
// the listings that collapsing, a rebuild or the tree's end cancel.
#include "folder_tree/ChildDiff.h"
#include "folder_tree/ShellIcons.h"
#include "folder_tree/TreeItemData.h"
#include "tests/support/HostedTree.h"

#include <gtest/gtest.h>

namespace {

// A diff as a line: per listed child K, R (with the shown child's index),
// A or S; then what goes and what is read again.
std::string Line(const TChildDiff& d) {
    std::string line;
    for (const TChildDiff::Entry& e : d.listed) {
        line += "SKRA"[e.kind];
        if (e.child >= 0) line += std::to_string(e.child);
        line += ' ';
    }
    line += "| gone";
    for (int c : d.gone)
        line.append(" ").append(std::to_string(c));
    line += " | reread";
    for (int c : d.reread)
        line.append(" ").append(std::to_string(c));
    return line;
}

TEST(ChildDiff, KeptRenamedGoneAndAdded) {
    struct Case {
        const char* what;
        std::vector<TShownChild> shown;
        std::vector<TListedKey> listed;
        TChildRenames renames;
        std::string expected;
    } cases[] = {
        {"unchanged", {{L"a"}}, {{L"a", true}}, {}, "K0 | gone | reread"},
        {"added and gone", {{L"a"}}, {{L"b", true}}, {}, "A | gone 0 | reread"},
        {"renamed", {{L"a"}}, {{L"b", true}}, {{L"a", L"b"}}, "R0 | gone | reread"},
        {"a chain", {{L"a"}}, {{L"c", true}}, {{L"a", L"b"}, {L"b", L"c"}}, "R0 | gone | reread"},
        {"a swap",
         {{L"a"}, {L"b"}},
         {{L"a", true}, {L"b", true}},
         {{L"a", L"t"}, {L"b", L"a"}, {L"t", L"b"}},
         "R1 R0 | gone | reread"},
        {"gone against renamed",
         {{L"a"}, {L"b"}},
         {{L"c", true}},
         {{L"a", L"c"}},
         "R0 | gone 1 | reread"},
        {"renamed to a name not shown",
         {{L"a"}},
         {{L"b", false}},
         {{L"a", L"b"}},
         "S | gone 0 | reread"},
        {"case only, told", {{L"Foo"}}, {{L"FOO", true}}, {{L"Foo", L"FOO"}}, "R0 | gone | reread"},
        {"case only, untold", {{L"Foo"}}, {{L"FOO", true}}, {}, "A | gone 0 | reread"},
        {"case only, known", {{L"Foo", 7}}, {{L"FOO", true, 7}}, {}, "R0 | gone | reread"},
        {"known, renamed untold",
         {{L"a", 7}, {L"b"}},
         {{L"b", true, 8}, {L"z", true, 7}},
         {},
         "K1 R0 | gone | reread"},
        {"known, swapped untold",
         {{L"a", 7}, {L"b", 8}},
         {{L"a", true, 8}, {L"b", true, 7}},
         {},
         "R1 R0 | gone | reread"},
        {"known, removed and made again",
         {{L"a", 7}},
         {{L"a", true, 9}},
         {},
         "K0 | gone | reread 0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(DiffChildren(c.shown, c.listed, c.renames)), c.expected) << c.what;
}

// A tree whose listings, once held, wait on their threads until released.
class SlowFolderTest : public HostedTreeTest {
  protected:
    void SetUp() override {
        tmp.Dir("a");
        tmp.Dir("a\\b");
        tmp.Dir("a\\c");
        Make();
        services.listingWait = 0;
        services.listingBegins = [this] { WaitForSingleObject(gate_, INFINITE); };
    }
    void TearDown() override {
        Release();
        HostedTreeTest::TearDown();
        CloseHandle(gate_);
    }
    // The held listings go on; their threads have ended on return.
    void Release() {
        SetEvent(gate_);
        EXPECT_TRUE(PumpUntil([] { return TFolderTreeTestAccess::LiveListings() == 0; }));
        Application().ProcessMessages();
    }
    std::vector<std::wstring> Below(TTreeNode* node) {
        std::vector<std::wstring> texts;
        for (TTreeNode* n : Children(Tree(), node))
            texts.push_back(n->Text());
        return texts;
    }
    HANDLE gate_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(SlowFolderTest, TheWindowAnswersWhileAListingIsHeldThenShowsItsChildren) {
    TTreeNode* a = Node("a");
    a->Expand(false);
    const HWND tree = Tree().Handle();
    PostMessageW(tree, TVM_SETINDENT, 31, 0);
    EXPECT_TRUE(PumpUntil([&] { return TreeView_GetIndent(tree) == 31; })) << "held, yet answered";
    EXPECT_EQ(Below(a), std::vector<std::wstring>{L"読み込み中..."});
    services.now += 5000; // unanswered for long
    EXPECT_TRUE(
        PumpUntil([&] { return Below(a) == std::vector<std::wstring>{L"応答がありません"}; }));

    Tree().SetSelected(a);
    SendMessageW(tree, WM_KEYDOWN, VK_F5, 0); // asked again, and held again
    EXPECT_EQ(Below(a), std::vector<std::wstring>{L"読み込み中..."});
    Release();
    EXPECT_EQ(Below(a), (std::vector<std::wstring>{L"b", L"c"}));
    EXPECT_EQ(Tree().Selected(), a);

    // Listed late, a node is drawn with the default icon; its own is looked
    // up off the window's thread and shown when it comes.
    const TTreeNode* b = Children(Tree(), a)[0];
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE;
    item.hItem = b->ItemId();
    TreeView_GetItem(tree, &item); // as a paint asks
    EXPECT_EQ(item.iImage, GetDefaultIconIndex(true, false));
    EXPECT_TRUE(PumpUntil([&] { return NodeData(b)->Icons[0] >= 0; }));
    TreeView_GetItem(tree, &item);
    EXPECT_EQ(item.iImage, GetItemIconIndex(NodeData(b)->AbsoluteID.get(), false));
}

TEST_F(SlowFolderTest, CollapsingRebuildingOrClosingCancelsAHeldListing) {
    const std::pair<const char*, std::function<void(TTreeNode*)>> cancels[] = {
        {"collapsed", [](TTreeNode* a) { a->Collapse(false); }},
        {"rebuilt", [this](TTreeNode*) { Tree().SetShowIncludeHidden(false); }},
        {"closed", [this](TTreeNode*) { Destroy(); }},
    };
    for (const auto& [how, cancel] : cancels) {
        if (!Made()) Make(); // listed at once: the gate is open
        ResetEvent(gate_);
        Node("a")->Expand(false);
        cancel(Node("a"));
        Release(); // the late result comes back to no one
        if (Made()) {
            EXPECT_TRUE(Below(Node("a")).empty()) << how;
        }
        EXPECT_EQ(TFolderTreeTestAccess::LiveListings(), 0) << how;
    }
    services.listingWait = 20000;
    Make();
    Node("a")->Expand(false);
    EXPECT_EQ(Below(Node("a")), (std::vector<std::wstring>{L"b", L"c"})) << "listed anew";
}

} // namespace
