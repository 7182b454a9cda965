// The GUI layer under real windows and messages: alignment on resize, mouse
// routing to graphic controls, timers, tree nodes' lifetime, window objects.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Unit1.h"
#include "gui/Application.h"
#include "gui/Owners.h"
#include "gui/Timer.h"
#include "tests/support/FolderTreeHost.h"

namespace {

using Log = std::vector<std::string>;

TFormProps FormProps(const char* className) {
    return {.control = {.name = className, .width = 400, .height = 300}};
}

// "name left,top widthxheight" of a control's window in its parent, checked
// against the control's own idea of its bounds.
std::string Placed(const TWinControl& c) {
    RECT r{};
    GetWindowRect(c.Handle(), &r);
    MapWindowPoints(nullptr, GetParent(c.Handle()), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(EqualRect(&r, &c.BoundsRect())) << c.Name() << ": object and window disagree";
    char s[96];
    std::snprintf(s, sizeof s, "%s %ld,%ld %ldx%ld", c.Name().c_str(), r.left, r.top,
                  r.right - r.left, r.bottom - r.top);
    return s;
}
std::string At(const char* name, int left, int top, int width, int height) {
    char s[96];
    std::snprintf(s, sizeof s, "%s %d,%d %dx%d", name, left, top, width, height);
    return s;
}

SIZE ClientSize(const TWinControl& c) {
    RECT r{};
    GetClientRect(c.Handle(), &r);
    return {r.right, r.bottom};
}

void Resize(TWinControl& form, int width, int height) {
    SetWindowPos(form.Handle(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Alignment ----

TPanelProps Aligned(const char* name, TAlign align, int size) {
    return {.control = {.name = name, .width = size, .height = size, .align = align}};
}

// Created out of order on purpose: placing goes top, bottom, left, right, client.
struct AlignForm : TForm {
    AlignForm() : TForm(nullptr, FormProps("TAlignTestForm")) { Create(); }
    TWindowed<TPanel> client{this, this, Aligned("client", alClient, 5)};
    TWindowed<TPanel> right{this, this, Aligned("right", alRight, 40)};
    TWindowed<TPanel> bottom{this, this, Aligned("bottom", alBottom, 15)};
    TWindowed<TPanel> left{this, this, Aligned("left", alLeft, 30)};
    TWindowed<TPanel> top1{this, this, Aligned("top1", alTop, 20)};
    TWindowed<TPanel> top2{this, this, Aligned("top2", alTop, 10)};
};

void ExpectAligned(AlignForm& f) {
    const SIZE c = ClientSize(f);
    const int t1 = f.top1.Visible() ? 20 : 0, top = t1 + 10, middle = c.cy - top - 15;
    SCOPED_TRACE(At("client area", 0, 0, c.cx, c.cy));
    if (t1) {
        EXPECT_EQ(Placed(f.top1), At("top1", 0, 0, c.cx, 20));
    }
    EXPECT_EQ(Placed(f.top2), At("top2", 0, t1, c.cx, 10));
    EXPECT_EQ(Placed(f.bottom), At("bottom", 0, c.cy - 15, c.cx, 15));
    EXPECT_EQ(Placed(f.left), At("left", 0, top, 30, middle));
    EXPECT_EQ(Placed(f.right), At("right", c.cx - 40, top, 40, middle));
    EXPECT_EQ(Placed(f.client), At("client", 30, top, c.cx - 70, middle));
}

TEST(Alignment, TopBottomLeftRightClientAfterCreateResizeAndHiding) {
    TWindowed<AlignForm> f;
    ExpectAligned(f);
    Resize(f, 520, 410);
    ExpectAligned(f);
    Resize(f, 250, 180);
    ExpectAligned(f);
    f.top1.SetVisible(false);
    ExpectAligned(f);
}

TEST(Alignment, MainWindowPartsFollowAResize) {
    TWindowed<TMainForm> form(nullptr);
    // Larger and smaller than the stored size; not below the window's minimum.
    for (SIZE outer : {SIZE{640, 480}, SIZE{360, 320}}) {
        Resize(form, outer.cx, outer.cy);
        ASSERT_EQ(form.Width(), outer.cx);
        const SIZE c = ClientSize(form);
        SCOPED_TRACE(At("client area", 0, 0, c.cx, c.cy));
        EXPECT_EQ(Placed(form.Panel1), At("Panel1", 0, 0, c.cx, 25));
        EXPECT_EQ(Placed(form.StatusBar1), At("StatusBar1", 0, c.cy - 19, c.cx, 19));
        EXPECT_EQ(Placed(form.ToolBar1), At("ToolBar1", 0, 25, 64, c.cy - 44));
        EXPECT_EQ(Placed(form.FTV), At("FTV", 64, 25, c.cx - 64, c.cy - 44));
    }
}

// ---- Mouse routing to graphic controls ----

TLabelProps Box(const char* name, const wchar_t* caption, int left, int top) {
    return {.control = {.name = name, .left = left, .top = top, .width = 60, .height = 20},
            .caption = caption,
            .autoSize = false};
}

class MouseRouting : public ::testing::Test {
  protected:
    MouseRouting() {
        form.Create();
        for (TControl* c : std::initializer_list<TControl*>{&form, &panel, &A, &B, &C}) {
            auto note = [this, name = c->Name()](const char* what, int x, int y) {
                char line[64];
                std::snprintf(line, sizeof line, "%s %s %d,%d", name.c_str(), what, x, y);
                log.push_back(line);
            };
            c->OnMouseUp = [note](TObject*, TMouseButton b, TShiftState, int x, int y) {
                note(b == mbLeft ? "up" : "rup", x, y);
            };
        }
        for (TLabel* l : {&A, &B, &C})
            l->OnClick = [this, name = l->Name()](TObject*) { log.push_back(name + " click"); };
    }
    ~MouseRouting() override { form.DestroyHandle(); }

    // Posts a press and a release to a window, in its client coordinates.
    Log Press(HWND w, POINT down, POINT up, bool right = false) {
        log.clear();
        PostMessageA(w, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                     MAKELPARAM(down.x, down.y));
        PostMessageA(w, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
        Application().ProcessMessages();
        return log;
    }
    Log Click(HWND w, int x, int y) { return Press(w, {x, y}, {x, y}); }

    Log log;
    TWindowed<TForm> form{nullptr, FormProps("TMouseTestForm")};
    TWindowed<TPanel> panel{
        &form, &form, {.control = {.name = "panel", .width = 200, .height = 100}}};
    TLabel A{&form, &panel, Box("A", L"A", 10, 10)};
    TLabel B{&form, &panel, Box("B", L"B", 50, 15)}; // over A's right part
    TLabel C{&form, &form, Box("C", L"C", 10, 120)};
};

TEST_F(MouseRouting, ClickInsideALabelReachesIt) {
    EXPECT_EQ(Click(panel.Handle(), 15, 12), (Log{"A up 5,2", "A click"}));
    EXPECT_EQ(Click(form.Handle(), 69, 139), (Log{"C up 59,19", "C click"}));
    EXPECT_EQ(Click(panel.Handle(), 150, 80), (Log{"panel up 150,80"}));
    EXPECT_EQ(Press(panel.Handle(), {15, 12}, {15, 12}, true), (Log{"A rup 5,2"}));
    EXPECT_EQ(Click(panel.Handle(), 55, 20), (Log{"B up 5,5", "B click"}))
        << "where labels overlap, the topmost wins";
}

TEST_F(MouseRouting, DisabledOrInvisibleLabelGetsNothing) {
    B.SetEnabled(false);
    EXPECT_EQ(Click(panel.Handle(), 55, 20), (Log{"A up 45,10", "A click"}));
    A.SetVisible(false);
    EXPECT_EQ(Click(panel.Handle(), 55, 20), (Log{"panel up 55,20"}));
    C.SetEnabled(false);
    EXPECT_EQ(Click(form.Handle(), 15, 125), (Log{"TMouseTestForm up 15,125"}));
}

TEST_F(MouseRouting, ReleaseOutsideGoesToThePressedLabelWithoutAClick) {
    EXPECT_EQ(Press(panel.Handle(), {15, 12}, {150, 80}), (Log{"A up 140,70"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Click(panel.Handle(), 150, 80), (Log{"panel up 150,80"}));
}

// ---- Timers ----

TEST(Timer, FiresWhileMessagesArePumpedEachToItsOwnHandler) {
    int a = 0, b = 0, off = 0, once = 0;
    TTimer ta(nullptr, {.name = "ta", .interval = 10});
    TTimer tb(nullptr, {.name = "tb", .interval = 15});
    TTimer toff(nullptr, {.name = "toff", .interval = 10, .enabled = false});
    TTimer tonce(nullptr, {.name = "tonce", .interval = 10});
    ta.OnTimer = [&](TObject* s) { a += s == &ta; };
    tb.OnTimer = [&](TObject* s) { b += s == &tb; };
    toff.OnTimer = [&](TObject*) { ++off; };
    tonce.OnTimer = [&](TObject*) { ++once, tonce.SetEnabled(false); }; // stops itself
    EXPECT_TRUE(ta.Enabled());
    EXPECT_FALSE(toff.Enabled());
    // Pumps until both fired a few times, within a generous bound; no time is asserted.
    for (DWORD start = GetTickCount(); (a < 5 || b < 3) && GetTickCount() - start < 10000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Application().ProcessMessages();
    }
    EXPECT_GE(a, 5);
    EXPECT_GE(b, 3);
    EXPECT_EQ(off, 0) << "a disabled timer fired";
    EXPECT_EQ(once, 1) << "a timer stopped in its handler fired again";
    EXPECT_FALSE(tonce.Enabled());
}

// ---- Tree nodes ----

// A node's data, which notes the node's text when the node frees it.
struct Noted {
    Log& log;
    std::string text;
    ~Noted() { log.push_back(text); }
};

class TreeNodes : public ::testing::Test {
  protected:
    TreeNodes() {
        form.Create();
        a = Add(nullptr, "a");
        a1 = Add(a, "a1");
        a2 = Add(a, "a2");
        a2x = Add(a2, "a2x");
        b = Add(nullptr, "b");
    }
    ~TreeNodes() override { form.DestroyHandle(); }

    TTreeNode* Add(TTreeNode* parent, const char* text) {
        return tree.Items().Add(
            parent,
            {.text = Wide(text), .owned = OwnNodeData(std::make_unique<Noted>(deleted, text))});
    }
    int InControl() { return int(SendMessageA(tree.Handle(), TVM_GETCOUNT, 0, 0)); }
    Log Deleted() {
        std::sort(deleted.begin(), deleted.end());
        return std::exchange(deleted, {});
    }

    Log deleted;
    TWindowed<TForm> form{nullptr, FormProps("TTreeTestForm")};
    TWindowed<TCustomTreeView> tree{&form, &form, {.control = {.name = "tree", .align = alClient}}};
    TTreeNode *a = nullptr, *a1 = nullptr, *a2 = nullptr, *a2x = nullptr, *b = nullptr;
};

TEST_F(TreeNodes, AddedNodesCarryTextDataAndPlace) {
    ASSERT_TRUE(a && a1 && a2 && a2x && b);
    EXPECT_EQ(tree.Items().Count(), 5);
    EXPECT_EQ(InControl(), 5);
    char text[16] = {};
    TVITEMA tv{TVIF_HANDLE | TVIF_TEXT, a2x->ItemId(), 0, 0, text, sizeof text, 0, 0, 0, 0};
    SendMessageA(tree.Handle(), TVM_GETITEMA, 0, LPARAM(&tv));
    EXPECT_STREQ(text, "a2x");
    EXPECT_EQ(a2x->Text(), L"a2x");
    auto noted = [](TTreeNode* n) { return static_cast<Noted*>(n->Data())->text; };
    EXPECT_EQ((Log{noted(a), noted(a1), noted(a2)}), (Log{"a", "a1", "a2"}));
    EXPECT_EQ((std::vector<Log>{ChildTexts(tree, nullptr), ChildTexts(tree, a),
                                ChildTexts(tree, a2), ChildTexts(tree, b)}),
              (std::vector<Log>{{"a", "b"}, {"a1", "a2"}, {"a2x"}, {}}));
    EXPECT_EQ(a2x->Parent(), a2);
    EXPECT_EQ(a2x->Level(), 2);
    EXPECT_TRUE(deleted.empty());
}

TEST_F(TreeNodes, DeletingANodeFreesItAndItsChildrenOnly) {
    a2->Delete();
    EXPECT_EQ(Deleted(), (Log{"a2", "a2x"}));
    EXPECT_EQ(tree.Items().Count(), 3);
    EXPECT_EQ(InControl(), 3);
    EXPECT_EQ(Children(tree, a), std::vector{a1});
    a->DeleteChildren();
    EXPECT_EQ(Deleted(), (Log{"a1"}));
    EXPECT_EQ(tree.Items().Count(), 2);
}

TEST_F(TreeNodes, ClearOrDestroyingTheWindowFreesEveryNodeOnce) {
    tree.Items().Clear();
    EXPECT_EQ(Deleted(), (Log{"a", "a1", "a2", "a2x", "b"}));
    EXPECT_EQ(tree.Items().Count(), 0);
    EXPECT_EQ(InControl(), 0);
    EXPECT_EQ(tree.Items().GetFirstNode(), nullptr);

    ASSERT_TRUE(Add(Add(nullptr, "c"), "c1"));
    EXPECT_EQ(tree.Items().Count(), 2);
    tree.DestroyHandle();
    EXPECT_EQ(Deleted(), (Log{"c", "c1"}));
    EXPECT_EQ(tree.Items().Count(), 0);
}

TEST_F(TreeNodes, AWindowMadeElsewhereLeadsToNoObject) {
    HWND other = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD, 0, 0, 0, 0, form.Handle(), nullptr,
                                 nullptr, nullptr);
    SetWindowLongPtrA(other, GWLP_USERDATA, LONG_PTR(&tree));
    EXPECT_EQ(TWinControl::FromHandle(other), nullptr);
    EXPECT_EQ(TWinControl::FromHandle(tree.Handle()), &tree);
}

// Node objects and the data they own go with the tree's window even when
// its parent never hands the control's deletions on (a parent that takes
// WM_NOTIFY itself), and a deletion handed on frees them at once.
LRESULT CALLBACK SwallowNotify(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST_F(TreeNodes, OwnedDataGoesWithItsNodeWhateverTheParentDoes) {
    TTreeNode* c = Add(nullptr, "c");
    ASSERT_TRUE(c && Add(c, "c1"));
    c->DeleteChildren();
    EXPECT_EQ(Deleted(), Log{"c1"}) << "a deletion handed on frees the node's data at once";
    Add(c, "c2");
    Add(Add(nullptr, "d"), "d1");
    {
        WindowSubclass deaf(form.Handle(), SwallowNotify);
        ASSERT_TRUE(deaf.Installed());
        tree.DestroyHandle();
    }
    EXPECT_EQ(Deleted(), (Log{"a", "a1", "a2", "a2x", "b", "c", "c2", "d", "d1"}))
        << "nodes whose deletion was never handed on";
    EXPECT_EQ(tree.Items().Count(), 0);
}

} // namespace
