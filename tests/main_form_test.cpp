// Kelvane's main window made in this process and checked through its real
// windows and messages: frame, aligned parts, tool bar, fonts, resolution,
// texts (as cp932 bytes), handlers, the folder tree's published face, and
// the tree on the window: its root buttons, and a start at a folder whose
// name the code page cannot write.
#include <gtest/gtest.h>

#include <windows.h>
#include "tests/support/FolderTreeHost.h"
#include "tests/support/TempTree.h"
#include "tests/support/Text.h"
#include "tests/support/ToolBarGap.h"
#include "tests/support/WideFolders.h"
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/Unit1.h"
#include "app/Unit1Texts.h"
#include "gui/Application.h"

namespace {

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

int Scaled(int px96) {
    return MulDiv(px96, Screen().PixelsPerInch(), 96);
}

// "left,top widthxheight", so that a whole rectangle is compared at once.
std::string Geometry(int left, int top, int width, int height) {
    return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(width) + "x" +
           std::to_string(height);
}
std::string Geometry(const RECT& r) {
    return Geometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A control's window rectangle in its parent's client coordinates.
std::string Placed(const TWinControl& c) {
    RECT r{};
    GetWindowRect(c.Handle(), &r);
    MapWindowPoints(nullptr, GetParent(c.Handle()), reinterpret_cast<POINT*>(&r), 2);
    return Geometry(r);
}

// The outer size that this platform's frame gives the window around a
// client area of the size asked for.
std::string Framed(HWND w, int clientWidth, int clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongA(w, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongA(w, GWL_EXSTYLE)));
    return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}
std::string SizeOf(const RECT& r) {
    return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

RECT ItemRect(HWND toolBar, int index) {
    RECT r{};
    SendMessageA(toolBar, TB_GETITEMRECT, index, LPARAM(&r));
    return r;
}

// "face/charset/height" of a GDI font.
std::string FontOf(HFONT font) {
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return "no font";
    return std::string(lf.lfFaceName) + "/" + std::to_string(lf.lfCharSet) + "/" +
           std::to_string(lf.lfHeight);
}
std::string WindowFont() { // MS UI Gothic, SHIFTJIS_CHARSET, 12 pixels at 96 dpi
    return "MS UI Gothic/128/" + std::to_string(-Scaled(12));
}
HFONT FontOf(HWND w) {
    return HFONT(SendMessageA(w, WM_GETFONT, 0, 0));
}

// What the real status bar shows in its (simple) part 0.
std::string StatusText(HWND statusBar) {
    char buffer[512] = {};
    SendMessageA(statusBar, SB_GETTEXTA, 0, LPARAM(buffer));
    return buffer;
}

// Presses and releases the mouse on a tool button; the tool bar itself then
// sends the button's command to the window.
void ClickToolButton(TMainForm& f, const TToolButton& b) {
    HWND tb = f.ToolBar1.Handle();
    RECT r = ItemRect(tb, int(SendMessageA(tb, TB_COMMANDTOINDEX, b.CommandId(), 0)));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(tb, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tb, WM_LBUTTONUP, 0, at);
    Application().ProcessMessages();
}

// The command a tool bar sends for a clicked button, posted to the window.
void PostToolCommand(TMainForm& f, const TToolButton& b) {
    PostMessageA(f.Handle(), WM_COMMAND, MAKEWPARAM(b.CommandId(), BN_CLICKED),
                 LPARAM(f.ToolBar1.Handle()));
    Application().ProcessMessages();
}

// Client and frame size, aligned parts, tool buttons, indent and fonts; every
// figure is given for 96 dpi and scaled to the resolution in use. The stored
// layout fills a client area of 478 x 319, whatever the platform's frame.
void ExpectScaledLayout(TMainForm& f) {
    ASSERT_TRUE(f.HandleAllocated());
    RECT outer{}, client{};
    GetWindowRect(f.Handle(), &outer);
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(Geometry(client), Geometry(0, 0, Scaled(478), Scaled(319))) << "client area";
    EXPECT_EQ(SizeOf(outer), Framed(f.Handle(), Scaled(478), Scaled(319))) << "outer size";
    const int cw = client.right, ch = client.bottom;
    const int top = Scaled(25), bottom = Scaled(19), left = Scaled(64), middle = ch - top - bottom;
    EXPECT_EQ(Placed(f.Panel1), Geometry(0, 0, cw, top)) << "Panel1";
    EXPECT_EQ(Placed(f.StatusBar1), Geometry(0, ch - bottom, cw, bottom)) << "StatusBar1";
    EXPECT_EQ(Placed(f.ToolBar1), Geometry(0, top, left, middle)) << "ToolBar1";
    EXPECT_EQ(Placed(f.FTV), Geometry(left, top, cw - left, middle)) << "FTV";
    EXPECT_EQ(f.Label1.Left(), Scaled(7)) << "Label1";
    EXPECT_EQ(f.Label1.Top(), Scaled(7)) << "Label1";
    EXPECT_EQ(int(SendMessageA(f.FTV.Handle(), TVM_GETINDENT, 0, 0)), Scaled(19)) << "indent";

    HWND tb = f.ToolBar1.Handle();
    for (TToolButton* b : f.ToolBar1.Buttons()) {
        int index = int(SendMessageA(tb, TB_COMMANDTOINDEX, b->CommandId(), 0));
        TBBUTTON info{};
        ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, index, LPARAM(&info))) << b->Name();
        if (b->Style() == tbsSeparator) {
            EXPECT_EQ(info.iBitmap, Scaled(17)) << "separator width";
        } else {
            RECT r = ItemRect(tb, index);
            EXPECT_EQ(Geometry(0, 0, r.right - r.left, r.bottom - r.top),
                      Geometry(0, 0, Scaled(64), Scaled(35)))
                << b->Name();
        }
    }
    EXPECT_EQ(FontOf(f.Font().Handle()), WindowFont()) << "form";
    EXPECT_EQ(FontOf(f.Label1.Font().Handle()), WindowFont()) << "Label1";
    for (TWinControl* c :
         {static_cast<TWinControl*>(&f.StatusBar1), static_cast<TWinControl*>(&f.ToolBar1),
          static_cast<TWinControl*>(&f.FTV)})
        EXPECT_EQ(FontOf(FontOf(c->Handle())), WindowFont()) << c->Name() << " WM_GETFONT";
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen().SetPixelsPerInch(96);
        form_ = std::make_unique<TWindowed<TMainForm>>(nullptr);
    }
    void TearDown() override {
        form_.reset();
        Application().ProcessMessages();
    }
    TMainForm& F() { return *form_; }

  private:
    std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, FramePartsAndTreeAt96Dpi) {
    char caption[64] = {};
    GetWindowTextA(F().Handle(), caption, sizeof caption);
    EXPECT_EQ(Hex(caption), "4b656c76616e65"); // Kelvane
    RECT outer{};
    GetWindowRect(F().Handle(), &outer);
    EXPECT_EQ(Geometry(outer.left, outer.top, 0, 0), Geometry(332, 193, 0, 0));
    EXPECT_EQ(SizeOf(outer), Framed(F().Handle(), 478, 319)) << "the frame around 478 x 319";
    EXPECT_TRUE(GetWindowLongA(F().Handle(), GWL_STYLE) & WS_THICKFRAME) << "resizable frame";
    // This test links the program's own resource script, so the icon loads.
    HICON small = HICON(SendMessageA(F().Handle(), WM_GETICON, ICON_SMALL, 0));
    HICON big = HICON(SendMessageA(F().Handle(), WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(small || big) << "WM_GETICON gives no icon";
    EXPECT_TRUE(GetClassLongPtrA(F().Handle(), GCLP_HICON) != 0) << "window class has no icon";

    ExpectScaledLayout(F());
    EXPECT_EQ(F().Label1.Parent(), &F().Panel1);
    EXPECT_EQ(Hex(Narrow(F().Label1.Caption())), Hex(Narrow(texts::kInstruction)));
    EXPECT_TRUE(SendMessageA(F().StatusBar1.Handle(), SB_ISSIMPLE, 0, 0)) << "simple mode";
    EXPECT_EQ(F().FTV.Indent(), 19);
    EXPECT_FALSE(F().FTV.ParentColor());
    EXPECT_EQ(F().FTV.Color(), clWindow);
    EXPECT_EQ(COLORREF(SendMessageA(F().FTV.Handle(), TVM_GETBKCOLOR, 0, 0)),
              GetSysColor(COLOR_WINDOW));
}

struct ButtonRow {
    TToolButton TMainForm::*button;
    const char* name;
    const char* captionHex;
    int image;
    int top; // TB_GETITEMRECT, tool-bar client coordinates, 96 dpi; -1: separator
    TCursor cursor;
    bool enabled;
};

const ButtonRow kButtons[] = {
    {&TMainForm::btnDrive, "btnDrive", "c4ded7b2ccde", 6, 2, crHandPoint, true},
    {&TMainForm::btnDeskTop, "btnDeskTop", "c3debdb8c4afccdf", 0, 37, crHandPoint, true},
    {&TMainForm::ToolButton2, "ToolButton2", "", -1, -1, crDefault, true},
    {&TMainForm::btnStart, "btnStart", "8f88979d8a4a8e6e", 1, 83, crHandPoint, true},
    {&TMainForm::btnStop, "btnStop", "92868e7e", 4, 118, crHandPoint, false},
    {&TMainForm::btnQuit, "btnQuit", "8f4997b9", 3, 153, crHandPoint, true},
    {&TMainForm::btnAbout, "btnAbout", "bfccc482c982c282a282c4", 5, 188, crHelp, true},
};

TEST_F(MainFormTest, ToolButtonsOnTheRealToolBar) {
    HWND tb = F().ToolBar1.Handle();
    ASSERT_EQ(F().ToolBar1.Buttons().size(), std::size(kButtons));
    ASSERT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), LRESULT(std::size(kButtons)));
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        const ButtonRow& row = kButtons[i];
        TToolButton& b = F().*row.button;
        SCOPED_TRACE(row.name);
        EXPECT_EQ(F().ToolBar1.Buttons()[i], &b) << "order";
        EXPECT_EQ(b.Name(), row.name);
        TBBUTTON info{};
        ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, i, LPARAM(&info)));
        EXPECT_EQ(info.idCommand, b.CommandId());
        LRESULT state = SendMessageA(tb, TB_GETSTATE, b.CommandId(), 0);
        EXPECT_EQ((state & TBSTATE_ENABLED) != 0, row.enabled) << "TB_GETSTATE";
        EXPECT_EQ(b.Enabled(), row.enabled);
        EXPECT_EQ(bool(b.OnClick), row.top >= 0) << "click handler";
        if (row.top < 0) {
            EXPECT_EQ(b.Style(), tbsSeparator);
            EXPECT_TRUE(info.fsStyle & BTNS_SEP);
            continue;
        }
        char text[64] = {};
        SendMessageA(tb, TB_GETBUTTONTEXTA, b.CommandId(), LPARAM(text));
        EXPECT_EQ(Hex(Narrow(b.Caption())), row.captionHex);
        EXPECT_EQ(Hex(text), row.captionHex) << "caption on the tool bar";
        EXPECT_EQ(b.ImageIndex(), row.image);
        EXPECT_EQ(info.iBitmap, row.image);
        EXPECT_EQ(b.Cursor(), row.cursor);
        RECT r = ItemRect(tb, i);
        EXPECT_EQ(Geometry(r.left, 0, r.right - r.left, r.bottom - r.top), Geometry(0, 0, 64, 35));
        // The cursor the real tool bar sets with the mouse over the button.
        POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(tb, &pt);
        ASSERT_TRUE(SetCursorPos(pt.x, pt.y));
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        EXPECT_TRUE(SendMessageA(tb, WM_SETCURSOR, WPARAM(tb), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, row.cursor == crHelp ? IDC_HELP : IDC_HAND));
    }
    HIMAGELIST images = F().ImageList1.Handle();
    EXPECT_EQ(HIMAGELIST(SendMessageA(tb, TB_GETIMAGELIST, 0, 0)), images);
    EXPECT_EQ(ImageList_GetImageCount(images), 7);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(Geometry(0, 0, cx, cy), Geometry(0, 0, 16, 16)) << "image size";
}

// Rows of 35 from 2, and after the wrapping 17-pixel separator the gap that
// the platform's tool bar leaves for it: 11 on Windows, a fixed 5 on Wine.
TEST_F(MainFormTest, ToolButtonTopEdges) {
    HWND tb = F().ToolBar1.Handle();
    const int gapShift = WrappedSeparatorGap(17, 64, 35) - 11;
    bool afterSeparator = false;
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        if (kButtons[i].top >= 0) {
            EXPECT_EQ(ItemRect(tb, i).top, kButtons[i].top + (afterSeparator ? gapShift : 0))
                << kButtons[i].name;
        } else {
            afterSeparator = true;
        }
    }
}

TEST(MainFormTexts, ReadInCp932AsTheseBytes) {
    const std::string readOnlyCount = "93c782dd82c682e890ea977089f08f9c90948146";
    EXPECT_EQ(Hex(Narrow(texts::kCaption)), "4b656c76616e65");
    EXPECT_EQ(Hex(Narrow(texts::kInstruction)),
              "819f2089f08f9c82b582bd82a2c3dea8dab8c4d882f08e7792e882b582c481758f88979d8a4a8e6e8176"
              "cedec0dd82f0899f82b582c489ba82b382a28142");
    EXPECT_EQ(Hex(Narrow(texts::kBanner)),
              "4b656c76616e652020436f70797269676874202843292032303236205461"
              "726e7769636b202096b39266935d8dda82f08bd682b682dc82b78142");
    EXPECT_EQ(Hex(Narrow(texts::kDrive)), "c4ded7b2ccde");
    EXPECT_EQ(Hex(Narrow(texts::kDeskTop)), "c3debdb8c4afccdf");
    EXPECT_EQ(Hex(Narrow(texts::kStart)), "8f88979d8a4a8e6e");
    EXPECT_EQ(Hex(Narrow(texts::kStop)), "92868e7e");
    EXPECT_EQ(Hex(Narrow(texts::kQuit)), "8f4997b9");
    EXPECT_EQ(Hex(Narrow(texts::kAbout)), "bfccc482c982c282a282c4");
    EXPECT_EQ(Hex(Narrow(texts::kAcquiring)), "cca7b2d9c3deb0c082f08a6c93be928682c582b72e2e2e");
    EXPECT_EQ(Hex(Narrow(texts::kStopped)), "92868e7e82b582dc82b582bd8149"
                                            "0d" +
                                                readOnlyCount);
    EXPECT_EQ(Hex(Narrow(texts::kCompleted)), "8aae97b982b582dc82b582bd8149"
                                              "0d" +
                                                  readOnlyCount);
    EXPECT_EQ(Hex(Narrow(texts::kItems)), "8c8f");
}

TEST_F(MainFormTest, FolderChangesShowBannerFirstThenFolderNames) {
    HWND sb = F().StatusBar1.Handle();
    EXPECT_TRUE(F().FirstChange()) << "FormCreate has not run";
    ASSERT_TRUE(bool(F().FTV.OnChangeW));
    F().FTV.OnChangeW(&F().FTV, L"X"); // bound to FTVChange
    EXPECT_EQ(F().FTV.RootFolderName(), "X");
    EXPECT_EQ(F().StatusBar1.SimpleText(), texts::kBanner);
    EXPECT_EQ(StatusText(sb), Narrow(texts::kBanner));
    EXPECT_FALSE(F().FirstChange());

    const std::string folder = Unhex("433a5c955c8ea65c835c83748367"); // C:\表示\ソフト
    F().FTVChange(&F().FTV, Wide(folder));
    EXPECT_EQ(Hex(F().FTV.RootFolderName()), Hex(folder));
    EXPECT_EQ(Hex(Narrow(F().StatusBar1.SimpleText())), Hex(folder));
    EXPECT_EQ(Hex(StatusText(sb)), Hex(folder));

    F().FTVChange(&F().FTV, L"");
    EXPECT_EQ(F().FTV.RootFolderName(), "");
    EXPECT_EQ(F().StatusBar1.SimpleText(), L"");
    EXPECT_EQ(StatusText(sb), "");
}

TEST_F(MainFormTest, MsgSetsTheStatusLineExactly) {
    const std::string lines[] = {Narrow(texts::kAcquiring), "C:\\",
                                 Narrow(texts::kStopped) + "12" + Narrow(texts::kItems),
                                 Narrow(texts::kCompleted) + "0" + Narrow(texts::kItems)};
    for (const std::string& line : lines) {
        F().Msg(Wide(line));
        EXPECT_EQ(Hex(Narrow(F().StatusBar1.SimpleText())), Hex(line));
        std::string shown = line; // the status bar shows a carriage return as a blank
        for (char& c : shown)
            if (c == '\r') c = ' ';
        EXPECT_EQ(Hex(StatusText(F().StatusBar1.Handle())), Hex(shown));
    }
}

TEST_F(MainFormTest, ToolBarCommandsRunHandlersUnlessDisabled) {
    EXPECT_EQ(F().FTV.RootFolder(), rfDrives);
    for (int i = 0; i < 2; ++i) { // pressing the current root again changes nothing
        ClickToolButton(F(), F().btnDeskTop);
        EXPECT_EQ(F().FTV.RootFolder(), rfDesktop) << "a mouse click on btnDeskTop";
    }
    for (int i = 0; i < 2; ++i) {
        PostToolCommand(F(), F().btnDrive);
        EXPECT_EQ(F().FTV.RootFolder(), rfDrives) << "btnDrive's command";
    }
    // Start with no start folder: nothing to walk, it says so, the idle state returns.
    PostToolCommand(F(), F().btnStart);
    EXPECT_EQ(F().StatusBar1.SimpleText(),
              std::wstring(texts::kStartNotOpened) + L"（パスが見つかりません。）");
    EXPECT_TRUE(F().btnStart.Enabled());
    EXPECT_FALSE(F().btnStop.Enabled());

    HWND tb = F().ToolBar1.Handle();
    F().btnDeskTop.SetEnabled(false);
    EXPECT_FALSE(SendMessageA(tb, TB_GETSTATE, F().btnDeskTop.CommandId(), 0) & TBSTATE_ENABLED);
    ClickToolButton(F(), F().btnDeskTop);
    PostToolCommand(F(), F().btnDeskTop);
    EXPECT_EQ(F().FTV.RootFolder(), rfDrives) << "a disabled button's command ran";
    F().btnDeskTop.SetEnabled(true);
    EXPECT_TRUE(SendMessageA(tb, TB_GETSTATE, F().btnDeskTop.CommandId(), 0) & TBSTATE_ENABLED);
}

class MainFormAtDpi : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { Screen().SetPixelsPerInch(GetParam()); }
    void TearDown() override { Screen().SetPixelsPerInch(96); }
};

TEST_P(MainFormAtDpi, EverySizeScales) {
    TWindowed<TMainForm> form(nullptr);
    ExpectScaledLayout(form);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, MainFormAtDpi, ::testing::Values(120, 144, 192));

// The smallest size a user can drag the window to: the instruction strip,
// every tool button and the status line still fit, in their order, while the
// stored size stays allowed. Checked by sizing the window below that minimum.
class MainFormMinimumAtDpi : public MainFormAtDpi {};

TEST_P(MainFormMinimumAtDpi, SmallestSizeKeepsEveryPartInPlace) {
    TWindowed<TMainForm> form(nullptr);
    MINMAXINFO info{};
    info.ptMinTrackSize = {1, 1};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, LPARAM(&info));
    RECT stored{};
    GetWindowRect(form.Handle(), &stored);
    EXPECT_LE(info.ptMinTrackSize.x, stored.right - stored.left) << "the stored width is allowed";
    EXPECT_LE(info.ptMinTrackSize.y, stored.bottom - stored.top) << "the stored height is allowed";

    // Asked for far less, a resizable window stops at its minimum.
    SetWindowPos(form.Handle(), nullptr, 0, 0, 113, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer{};
    GetWindowRect(form.Handle(), &outer);
    EXPECT_EQ(SizeOf(outer),
              std::to_string(info.ptMinTrackSize.x) + "x" + std::to_string(info.ptMinTrackSize.y));
    RECT client{};
    GetClientRect(form.Handle(), &client);
    const int cw = client.right, ch = client.bottom;
    EXPECT_EQ(std::to_string(info.ptMinTrackSize.x) + "x" + std::to_string(info.ptMinTrackSize.y),
              Framed(form.Handle(), cw, ch))
        << "the minimum is the frame around a client area of " << SizeOf(client);
    const int top = Scaled(25), bottom = Scaled(19), left = Scaled(64), middle = ch - top - bottom;
    EXPECT_EQ(Placed(form.Panel1), Geometry(0, 0, cw, top)) << "Panel1";
    EXPECT_EQ(Placed(form.StatusBar1), Geometry(0, ch - bottom, cw, bottom)) << "StatusBar1";
    EXPECT_EQ(Placed(form.ToolBar1), Geometry(0, top, left, middle)) << "ToolBar1";
    EXPECT_EQ(Placed(form.FTV), Geometry(left, top, cw - left, middle)) << "FTV";
    EXPECT_GE(cw - left, left) << "the tree keeps some width";
    EXPECT_LE(form.Label1.Left() + form.Label1.Width() + Scaled(7), cw)
        << "the instruction text fits its strip";
    // Every button within the tool bar; the last one's bottom is the edge, so
    // the minimum is also the least that fits.
    HWND tb = form.ToolBar1.Handle();
    const int count = int(form.ToolBar1.Buttons().size());
    for (int i = 0; i < count; ++i)
        EXPECT_LE(ItemRect(tb, i).bottom, middle) << form.ToolBar1.Buttons()[i]->Name();
    EXPECT_EQ(ItemRect(tb, count - 1).bottom, middle) << "the height is the least that fits";
}

INSTANTIATE_TEST_SUITE_P(Resolutions, MainFormMinimumAtDpi, ::testing::Values(96, 144));

// A host window for a folder tree made on its own.
const TFormProps kHost{.control = {.name = "TTreeHostForm", .width = 300, .height = 200}};

TEST(FolderTreeViewEx, PublishedInterface) {
    TWindowed<TForm> host(nullptr, kHost);
    TWindowed<TFolderTreeViewEx> tree(&host, &host);
    EXPECT_EQ(tree.RootFolder(), rfDrives);
    EXPECT_EQ(tree.SelectedDir(), sdNone);
    EXPECT_TRUE(tree.FileMask().empty());
    EXPECT_EQ(tree.RootFolderName(), "");
    EXPECT_EQ(tree.BorderStyle(), bsSingle);
    const bool on[] = {tree.ShowRootFolder(), tree.ShowIncludeHidden(), tree.AutoUpDate(),
                       tree.ContextMenu(),    tree.DragAndDrop(),       tree.ShowButtons(),
                       tree.ShowLines(),      tree.ShowRoot(),          tree.HideSelection(),
                       tree.ParentColor()};
    for (int i = 0; i < int(std::size(on)); ++i)
        EXPECT_TRUE(on[i]) << "true property #" << i;
    EXPECT_FALSE(tree.ShowFile());
    EXPECT_FALSE(tree.InfoViewSort());
    EXPECT_FALSE(tree.ShellRun());
    EXPECT_FALSE(bool(tree.OnChange));

    host.Create();
    ASSERT_TRUE(tree.HandleAllocated());
    const LONG style = GetWindowLongA(tree.Handle(), GWL_STYLE);
    const LONG lines = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    EXPECT_EQ(style & lines, lines);
    EXPECT_FALSE(style & TVS_SHOWSELALWAYS) << "HideSelection";
    EXPECT_TRUE(GetWindowLongA(tree.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "bsSingle";

    // Selection changes with no handler assigned: nothing is called.
    TTreeNode* a = tree.Items().Add(nullptr, {.text = L"a"});
    TTreeNode* b = tree.Items().Add(a, {.text = L"b"});
    ASSERT_TRUE(a && b);
    tree.SetSelected(a);
    tree.SetSelected(b);
    EXPECT_EQ(tree.Selected(), b);

    // C:\表示\ソフト\ and \\server\表: second bytes 0x5C
    for (const char* hex : {"433a5c955c8ea65c835c836783675c", "5c5c7365727665725c955c", ""}) {
        tree.SetRootFolderName(Unhex(hex));
        EXPECT_EQ(Hex(tree.RootFolderName()), hex);
    }
}

// ---- the folder tree on the main window ----

TEST(FolderTreeMainWindow, RootButtonsReRootTheTreeOnlyOnChange) {
    char desktop[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    TaskItemIDList drives = SpecialFolder(CSIDL_DRIVES);
    {
        TWindowed<TMainForm> f(nullptr);
        TFolderTreeViewEx& ftv = f.FTV;
        auto root = [&] { return AbsoluteOf(ftv.Items().GetFirstNode()); };
        ASSERT_EQ(ftv.RootFolder(), rfDrives);
        ASSERT_TRUE(ILIsEqual(root(), drives.get()));
        const int built = Internals(ftv).RebuildCount();
        f.btnDriveClick(&f.btnDrive);
        EXPECT_EQ(Internals(ftv).RebuildCount(), built) << "the current root again";

        f.btnDeskTopClick(&f.btnDeskTop);
        EXPECT_EQ(ftv.RootFolder(), rfDesktop);
        EXPECT_EQ(Internals(ftv).RebuildCount(), built + 1);
        EXPECT_EQ(ItemIDListToPath(root()), desktop);
        TTreeNode* desktopNode = ftv.Items().GetFirstNode();
        f.btnDeskTopClick(&f.btnDeskTop);
        EXPECT_EQ(Internals(ftv).RebuildCount(), built + 1) << "the current root again";
        EXPECT_EQ(ftv.Items().GetFirstNode(), desktopNode);

        f.btnDriveClick(&f.btnDrive);
        EXPECT_EQ(ftv.RootFolder(), rfDrives);
        EXPECT_EQ(Internals(ftv).RebuildCount(), built + 2);
        EXPECT_TRUE(ILIsEqual(root(), drives.get()));
        EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), ftv.Items().Count());
    }
    EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), 0);
}

// A folder whose name the code page cannot write: the tree shows its name as
// the shell gives it and hands out its exact path (the ANSI name stays empty),
// the status line shows it, and the walk clears that folder alone, neither
// around it nor in the folder whose name a best fit would make of it.
TEST(FolderTreeMainWindow, AFolderOfAnyNameIsShownChosenAndWalkedExactly) {
    TempTree tmp;
    WideFolders wide(tmp);
    const std::string parent = tmp.Dir("p");
    for (const char* d : {"p\\cafe", "p\\a", "p\\a\\b"})
        tmp.Dir(d);
    std::vector<std::string> readOnly;
    for (const char* f : {"g.txt", "p\\f.txt", "p\\cafe\\f.txt", "p\\a\\b\\f.txt"})
        readOnly.push_back(tmp.File(f, FILE_ATTRIBUTE_READONLY));
    const std::wstring names[] = {L"Caf\u00E9\u301C\U0001F600", L"\U0001F600", L"\uD55C",
                                  L"caf\u00E9", L"a\u00A5b"};
    for (const std::wstring& name : names) {
        wide.Dir(L"p\\" + name);
        wide.File(L"p\\" + name + L"\\f.txt", FILE_ATTRIBUTE_READONLY);
    }

    TWindowed<TMainForm> f(nullptr);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Narrow(name));
        ASSERT_TRUE(Descendant(f.FTV).LocatePath(parent, false, true));
        ASSERT_EQ(f.FTV.RootFolderName(), parent);
        f.FTV.Selected()->Expand(false);
        TTreeNode* node = ChildNamed(f.FTV, f.FTV.Selected(), name);
        ASSERT_NE(node, nullptr);
        wchar_t label[64] = {};
        TVITEMW item{TVIF_HANDLE | TVIF_TEXT, node->ItemId(), 0, 0, label, 64, 0, 0, 0, 0};
        ASSERT_TRUE(SendMessageW(f.FTV.Handle(), TVM_GETITEMW, 0, LPARAM(&item)));
        EXPECT_EQ(std::wstring(label), name) << "the label the tree view shows";
        f.FTV.SetSelected(node);
        const std::wstring folder = Wide(parent) + L"\\" + name;
        EXPECT_EQ(f.FTV.RootFolderNameW(), folder) << "the start the tree hands out";
        EXPECT_EQ(f.FTV.RootFolderName(), "") << "to ANSI callers: a name the code page lacks";
        EXPECT_EQ(f.StatusBar1.SimpleText(), folder);
        f.btnStartClick(&f.btnStart);
        EXPECT_FALSE(GetFileAttributesW((folder + L"\\f.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(f.StatusBar1.SimpleText(),
                  texts::kCompleted + std::wstring(L"1") + texts::kItems);
        for (const std::string& file : readOnly)
            EXPECT_TRUE(Attributes(file) & FILE_ATTRIBUTE_READONLY) << file;
    }
}

// Under any system code page (a second run of this suite has 1252): the
// windows are UTF-16 windows and give their captions back as they are.
TEST(MainFormCaptions, ReadBackInUtf16WhateverTheCodePage) {
    const char* acp = std::getenv("KELVANE_EXPECTED_ACP");
    ASSERT_EQ(GetACP(), acp ? UINT(std::atoi(acp)) : 932u);
    TWindowed<TMainForm> f(nullptr);
    for (HWND w : {f.Handle(), f.FTV.Handle(), f.StatusBar1.Handle(), f.ToolBar1.Handle()})
        EXPECT_TRUE(IsWindowUnicode(w));
    wchar_t text[128] = {};
    GetWindowTextW(f.Handle(), text, 128);
    EXPECT_EQ(std::wstring(text), texts::kCaption);
    const std::pair<const TToolButton*, const wchar_t*> buttons[] = {
        {&f.btnDrive, texts::kDrive}, {&f.btnDeskTop, texts::kDeskTop},
        {&f.btnStart, texts::kStart}, {&f.btnStop, texts::kStop},
        {&f.btnQuit, texts::kQuit},   {&f.btnAbout, texts::kAbout}};
    for (auto [button, caption] : buttons) {
        SendMessageW(f.ToolBar1.Handle(), TB_GETBUTTONTEXTW, button->CommandId(), LPARAM(text));
        EXPECT_EQ(std::wstring(text), caption);
    }
    f.FTVChange(&f.FTV, L"C:\\"); // the first change shows the banner
    SendMessageW(f.StatusBar1.Handle(), SB_GETTEXTW, 0, LPARAM(text));
    EXPECT_EQ(std::wstring(text), texts::kBanner);
}

// Quitting ends the process-wide application loop for good: its own suite.
class MainFormQuitTest : public MainFormTest {};

TEST_F(MainFormQuitTest, QuitButtonEndsTheApplicationLoop) {
    Application().SetMainForm(&F());
    Application().ProcessMessages();
    ASSERT_FALSE(Application().Terminated());
    PostToolCommand(F(), F().btnQuit);
    EXPECT_TRUE(Application().Terminated());
}

} // namespace
