// The About window made in-process over a real main window and checked
// through its real windows and mouse messages: place and look of every
// part, the memory figure, closing, hovering, links and modal showing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "about/About.h"
#include "app/Unit1.h"
#include "app/resource.h"
#include "gui/Application.h"
#include "tests/support/Text.h"

namespace {

TMainForm* gMain = nullptr;

// The program's own pictures, as its About command hands them in.
const TAboutPictures kPictures{IDI_MAINICON, IDB_NAME};

// A main window, so that the About window has an owner.
struct MainWindow : ::testing::Environment {
    void SetUp() override { Application().SetMainForm(gMain = new TWindowed<TMainForm>(nullptr)); }
    void TearDown() override {
        delete gMain;
        Application().ProcessMessages();
    }
};
[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new MainWindow);

int Scaled(int px96) {
    return MulDiv(px96, Screen().PixelsPerInch(), 96);
}

std::string Geometry(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

POINT CentreOf(const TControl& c) {
    const RECT& r = c.BoundsRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The part that gets the mouse at a point: the last visible one under it.
const TControl* TopmostAt(const TWinControl& w, POINT pt) {
    for (auto it = w.Controls().rbegin(); it != w.Controls().rend(); ++it)
        if ((*it)->Visible() && PtInRect(&(*it)->BoundsRect(), pt)) return *it;
    return nullptr;
}

// A substitute for a missing font (Wine without Arial) has other widths.
bool RealisedAs(HFONT font, const std::string& face) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char name[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof name, name);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return face == name;
}

// A shell call as "window|verb|file|parameters|folder|show"; "-" for none.
std::string ShellCall(HWND w, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT show) {
    auto text = [](LPCWSTR s) { return s ? Narrow(s) : std::string("-"); };
    return std::to_string(UINT_PTR(w)) + "|" + text(verb) + "|" + text(file) + "|" + text(params) +
           "|" + text(dir) + "|" + std::to_string(show);
}

// The card's services with its shell calls recorded, none made, and a
// memory figure of the test's choosing.
struct TestAboutServices : TAboutServices {
    std::vector<std::string> calls;
    std::uint64_t figure = 0;
    std::uint64_t FreeMemory() override { return figure; }
    HINSTANCE Open(HWND w, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                   const wchar_t* dir, int show) override {
        calls.push_back(ShellCall(w, verb, file, params, dir, show));
        return HINSTANCE(33);
    }
};

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        box_ = std::make_unique<TWindowed<TAboutBox>>(nullptr, kPictures, services_);
    }
    void TearDown() override {
        box_.reset();
        Application().ProcessMessages();
    }
    TAboutBox& B() { return *box_; }
    std::vector<TLabel*> Links() { return {&B().lblURL5, &B().lblURL6, &B().lblURL7}; }

    // Posts a press and a release at a client point, pumps, and returns the
    // modal result that the release left.
    int Click(POINT at, TMouseButton button = mbLeft) {
        const UINT down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
        const WPARAM held[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
        B().SetModalResult(mrNone);
        PostMessageA(B().Handle(), down[button], held[button], MAKELPARAM(at.x, at.y));
        PostMessageA(B().Handle(), down[button] + 1, 0, MAKELPARAM(at.x, at.y)); // its up
        Application().ProcessMessages();
        return B().ModalResult();
    }
    void MoveTo(POINT at) {
        PostMessageA(B().Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        Application().ProcessMessages();
    }
    // A free corner of the card, where only Shape1 lies.
    static POINT Background() { return {Scaled(330), Scaled(8)}; }

    TestAboutServices services_;
    std::vector<std::string>& calls_ = services_.calls;

  private:
    std::unique_ptr<TAboutBox> box_;
};

TEST(SplitDigit, GroupsOfThreeFromTheRight) {
    const char* cases[][2] = {{"", ""},
                              {"0", "0"},
                              {"12", "12"},
                              {"999", "999"},
                              {"1000", "1,000"},
                              {"100000", "100,000"},
                              {"1234567", "1,234,567"},
                              {"4294967295", "4,294,967,295"}};
    for (auto [in, out] : cases)
        EXPECT_EQ(TAboutBox::splitdigit(in), out) << in;
    EXPECT_EQ(TAboutBox::splitdigit(std::to_string(UINT64_MAX)), "18,446,744,073,709,551,615");
}

TEST_F(AboutBoxTest, PopupTopmostWhiteCardOwnedByTheMainWindowAndCentredOverIt) {
    HWND h = B().Handle();
    ASSERT_TRUE(h);
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)) << "a frame or title bar";
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(h, GW_OWNER), gMain->Handle());
    RECT client{}, main{}, box{};
    GetClientRect(h, &client);
    EXPECT_EQ(Geometry(client), Geometry({0, 0, Scaled(345), Scaled(201)}));
    EXPECT_EQ(B().Color(), clWhite);
    char title[32] = {};
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "\xca\xde\xb0\xbc\xde\xae\xdd\x8f\xee\x95\xf1"); // cp932
    EXPECT_FALSE(IsWindowVisible(h)) << "shown before Show";

    B().Show();
    GetWindowRect(gMain->Handle(), &main);
    GetWindowRect(h, &box);
    const int cx = main.left + main.right, cy = main.top + main.bottom;
    EXPECT_EQ(Geometry(box), Geometry({(cx - Scaled(345)) / 2, (cy - Scaled(201)) / 2,
                                       (cx + Scaled(345)) / 2, (cy + Scaled(201)) / 2}));
    EXPECT_TRUE(IsWindowVisible(h));
}

struct Place {
    const char* name;
    int left, top, width, height; // 96 dpi; width 0: sized to the caption
    const char* caption;          // labels only
};
const Place kPlaces[] = {{"Shape1", 0, 0, 345, 201, nullptr},
                         {"Image1", 24, 16, 32, 32, nullptr},
                         {"Image2", 64, 24, 118, 19, nullptr},
                         {"Bevel3", 16, 56, 313, 2, nullptr},
                         {"Label3", 24, 66, 0, 0, "Special Thanks :"},
                         {"Label12", 40, 89, 0, 0, "* Software Icon :"},
                         {"lblURL5", 144, 89, 0, 0, "https://icons.example.com/"},
                         {"Bevel1", 16, 120, 313, 2, nullptr},
                         {"Label2", 24, 129, 0, 0, "Memory Available :"},
                         {"lblMemory", 136, 129, 192, 14, ""},
                         {"Bevel2", 16, 151, 313, 2, nullptr},
                         {"lblURL6", 271, 159, 0, 0, " Tarnwick"},
                         {"lblURL7", 190, 176, 0, 0, "mailto:kelvane@example.com"},
                         {"Label1", 24, 176, 0, 0, "Copyright (C) 2026 Tarnwick"}};

class AboutBoxAtDpi : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { Screen().SetPixelsPerInch(GetParam()); }
    void TearDown() override { Screen().SetPixelsPerInch(96); }
};

TEST_P(AboutBoxAtDpi, PartsInOrderAtTheirScaledPlacesWithTheirFontsAndColours) {
    TWindowed<TAboutBox> b(nullptr, kPictures);
    const RECT card{0, 0, Scaled(345), Scaled(201)};
    ASSERT_EQ(b.Controls().size(), std::size(kPlaces));
    const bool arial = RealisedAs(b.Font().Handle(), "Arial");
    std::vector<const TLabel*> labels;
    for (std::size_t i = 0; i < std::size(kPlaces); ++i) {
        const Place& p = kPlaces[i];
        const TControl& c = *b.Controls()[i];
        SCOPED_TRACE(p.name);
        EXPECT_EQ(c.Name(), p.name) << "order";
        const RECT& r = c.BoundsRect();
        RECT inside{};
        IntersectRect(&inside, &r, &card);
        if (p.width) {
            EXPECT_EQ(Geometry(r), Geometry({Scaled(p.left), Scaled(p.top),
                                             Scaled(p.left + p.width), Scaled(p.top + p.height)}));
        } else {
            EXPECT_EQ(Geometry({r.left, r.top, 0, 0}),
                      Geometry({Scaled(p.left), Scaled(p.top), 0, 0}));
            EXPECT_TRUE(r.right > r.left && r.bottom > r.top) << "empty";
        }
        if (p.width || arial) { // a wider substitute may run past the edge
            EXPECT_TRUE(EqualRect(&inside, &r)) << Geometry(r) << " off the card";
        }
        auto* label = dynamic_cast<const TLabel*>(&c);
        ASSERT_EQ(label != nullptr, p.caption != nullptr);
        if (!label) continue;
        EXPECT_EQ(label->Caption(), Wide(p.caption));
        labels.push_back(label);
    }
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            RECT both{};
            EXPECT_FALSE(IntersectRect(&both, &labels[i]->BoundsRect(), &labels[j]->BoundsRect()))
                << labels[i]->Name() << " overlaps " << labels[j]->Name();
        }

    // Arial, 11 pixels at 96 dpi, ANSI: the window's font and every label's.
    std::vector<const TControl*> withFont{&b};
    withFont.insert(withFont.end(), labels.begin(), labels.end());
    for (const TControl* c : withFont) {
        LOGFONTA lf{};
        GetObjectA(c->Font().Handle(), sizeof lf, &lf);
        EXPECT_EQ(std::string(lf.lfFaceName) + "/" + std::to_string(lf.lfCharSet) + "/" +
                      std::to_string(lf.lfHeight),
                  "Arial/0/" + std::to_string(-Scaled(11)))
            << c->Name();
        const bool link = c->Name().starts_with("lblURL");
        EXPECT_EQ(bool(lf.lfUnderline), link) << c->Name();
        EXPECT_EQ(lf.lfWeight >= FW_BOLD, c == &b.Label2 || c == &b.Label3) << c->Name();
        EXPECT_EQ(c->Cursor(), link ? crHandPoint : crDefault) << c->Name();
    }
    const std::pair<const TLabel*, TColor> colours[] = {{&b.Label3, clBlack},
                                                        {&b.Label2, clBlack},
                                                        {&b.Label12, RGB(128, 128, 128)},
                                                        {&b.lblURL5, RGB(0, 0, 255)},
                                                        {&b.lblURL6, RGB(0, 0, 255)},
                                                        {&b.lblURL7, RGB(0, 0, 255)},
                                                        {&b.Label1, clWindowText}};
    for (auto [label, colour] : colours)
        EXPECT_EQ(label->Font().Color(), colour) << label->Name();
}

INSTANTIATE_TEST_SUITE_P(Resolutions, AboutBoxAtDpi, ::testing::Values(96, 144));

TEST_F(AboutBoxTest, HandCursorOverEachLinkOnly) {
    ASSERT_EQ(Screen().Cursor(), crDefault);
    HWND h = B().Handle();
    std::vector<std::pair<POINT, bool>> spots{{CentreOf(B().Label3), false}, {Background(), false}};
    for (TLabel* l : Links())
        spots.push_back({CentreOf(*l), true});
    for (auto [at, hand] : spots) {
        POINT screen = at;
        ClientToScreen(h, &screen);
        ASSERT_TRUE(SetCursorPos(screen.x, screen.y));
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        SendMessageA(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor() == LoadCursor(nullptr, IDC_HAND), hand) << TopmostAt(B(), at)->Name();
    }
}

// The card painted as its window paints it, onto a white memory bitmap.
struct PaintedBox : TAboutBox {
    using TAboutBox::PaintWindow;
    using TAboutBox::TAboutBox;
};
struct Canvas {
    explicit Canvas(HDC screen)
        : dc(CreateCompatibleDC(screen)), bitmap(CreateCompatibleBitmap(screen, 345, 201)) {
        old = SelectObject(dc, bitmap.get());
        PatBlt(dc, 0, 0, 345, 201, WHITENESS);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    HDC dc;
    UniqueGdiObject<HBITMAP> bitmap;
    HGDIOBJ old;
};

TEST_F(AboutBoxTest, FramedCardDividersIconAndNamePicture) {
    TWindowed<PaintedBox> b(nullptr, kPictures);
    HDC screen = GetDC(nullptr);
    Canvas card(screen), reference(screen);
    ReleaseDC(nullptr, screen);
    b.PaintWindow(card.dc);
    for (POINT frame : {POINT{0, 0}, POINT{172, 0}, POINT{0, 100}, POINT{344, 200}})
        EXPECT_EQ(GetPixel(card.dc, frame.x, frame.y), clBlack) << frame.x << "," << frame.y;
    EXPECT_EQ(GetPixel(card.dc, 1, 1), clWhite) << "fill";
    for (int y : {56, 120, 151}) {
        EXPECT_EQ(GetPixel(card.dc, 100, y), GetSysColor(COLOR_BTNSHADOW)) << "divider " << y;
        EXPECT_EQ(GetPixel(card.dc, 100, y + 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << y;
        EXPECT_EQ(GetPixel(card.dc, 15, y), clWhite) << "divider from 16: " << y;
        EXPECT_EQ(GetPixel(card.dc, 329, y), clWhite) << "divider to 328: " << y;
    }
    // The pictures, drawn here from the resources for comparison.
    HINSTANCE exe = GetModuleHandleA(nullptr);
    UniqueIcon icon(HICON(LoadImageA(exe, MAKEINTRESOURCEA(IDI_MAINICON), IMAGE_ICON, 32, 32, 0)));
    UniqueGdiObject<HBITMAP> name(
        HBITMAP(LoadImageA(exe, MAKEINTRESOURCEA(IDB_NAME), IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(icon && name);
    DrawIconEx(reference.dc, 24, 16, icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
    DrawStateA(reference.dc, nullptr, nullptr, LPARAM(name.get()), 0, 64, 24, 0, 0, DST_BITMAP);
    int differing = 0, inked = 0;
    for (RECT r : {RECT{24, 16, 56, 48}, RECT{64, 24, 182, 43}})
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                differing += GetPixel(card.dc, x, y) != GetPixel(reference.dc, x, y);
                inked += GetPixel(card.dc, x, y) != clWhite;
            }
    EXPECT_EQ(differing, 0) << "icon at 24,16 and name picture at 64,24";
    EXPECT_GT(inked, 200) << "nothing drawn";
}

TEST_F(AboutBoxTest, MemoryFigureAppearsOnTheFirstTickGrouped) {
    // The system's figure is the physical memory free now, not another field.
    MEMORYSTATUSEX now{};
    now.dwLength = sizeof now;
    ASSERT_TRUE(GlobalMemoryStatusEx(&now));
    const std::uint64_t free = SystemAboutServices().FreeMemory();
    EXPECT_GT(free, 0u);
    EXPECT_LE(free, now.ullTotalPhys);
    EXPECT_NE(free, now.ullAvailVirtual) << "the process's address space, not the memory";

    services_.figure = 4'294'967'296 + 123'456; // past 32 bits: no wrap
    EXPECT_TRUE(B().tmrMemory.Enabled());
    EXPECT_EQ(B().tmrMemory.Interval(), 500u);
    EXPECT_EQ(B().lblMemory.Caption(), L"") << "before the first tick";
    for (int i = 0; i < 600 && B().lblMemory.Caption().empty(); ++i) { // bounded, not timed
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Application().ProcessMessages();
    }
    EXPECT_EQ(B().lblMemory.Caption(), L"4,295,090,752 Byte Free");
    services_.figure = 999;
    B().tmrMemory.OnTimer(&B().tmrMemory);
    EXPECT_EQ(B().lblMemory.Caption(), L"999 Byte Free") << "fewer than four digits, no comma";
}

TEST_F(AboutBoxTest, ReleaseOverBackgroundCaptionsOrNameClosesOtherPartsDoNot) {
    const std::pair<const TControl*, int> parts[] = {
        {&B().Shape1, mrOk},    {&B().Label1, mrOk},      {&B().Label2, mrOk},
        {&B().Label3, mrOk},    {&B().Label12, mrOk},     {&B().Image2, mrOk},
        {&B().Image1, mrNone},  {&B().lblMemory, mrNone}, {&B().Bevel1, mrNone},
        {&B().Bevel2, mrNone},  {&B().Bevel3, mrNone},    {&B().lblURL5, mrNone},
        {&B().lblURL6, mrNone}, {&B().lblURL7, mrNone}};
    for (auto [part, result] : parts) {
        const POINT at = part == &B().Shape1 ? Background() : CentreOf(*part);
        ASSERT_EQ(TopmostAt(B(), at), part) << part->Name();
        for (TMouseButton button : {mbLeft, mbRight, mbMiddle})
            EXPECT_EQ(Click(at, button), result) << part->Name() << " button " << button;
    }
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(AboutBoxTest, HoverMakesTheLinkUnderTheMouseRedAndTheOthersBlue) {
    std::vector<TLabel*> named; // the links are the only labels named so
    for (TComponent* c : B().Components())
        if (auto* l = dynamic_cast<TLabel*>(c); l && l->Name().starts_with("lblURL"))
            named.push_back(l);
    ASSERT_EQ(named, Links());
    auto colours = [&] {
        std::string s;
        for (TLabel* l : Links())
            s += l->Font().Color() == RGB(255, 0, 0)   ? 'R'
                 : l->Font().Color() == RGB(0, 0, 255) ? 'B'
                                                       : '?';
        return s;
    };
    const std::pair<POINT, const char*> moves[] = {
        {CentreOf(B().lblURL6), "BRB"}, {CentreOf(B().Label3), "BRB"}, // no handler: stays
        {CentreOf(B().lblURL5), "RBB"}, {CentreOf(B().lblURL7), "BBR"},
        {CentreOf(B().Image1), "BBR"},  {Background(), "BBB"}};
    for (auto [at, expected] : moves) {
        MoveTo(at);
        EXPECT_EQ(colours(), expected) << "over " << TopmostAt(B(), at)->Name();
    }
    EXPECT_EQ(B().Label3.Font().Color(), clBlack) << "a caption that is no link changed";
    EXPECT_EQ(B().Label12.Font().Color(), RGB(128, 128, 128));
    EXPECT_EQ(B().lblMemory.Font().Color(), clWindowText);
}

TEST_F(AboutBoxTest, LinksOpenInTheShellAndKeepTheWindowOpen) {
    const std::pair<TLabel*, std::string> links[] = {
        {&B().lblURL5, "https://icons.example.com/"},
        {&B().lblURL7, "mailto:kelvane@example.com"},
        {&B().lblURL6, "https://www.example.com/tarnwick/"}};
    for (auto [link, file] : links) {
        calls_.clear();
        EXPECT_EQ(Click(CentreOf(*link), mbRight), mrNone);
        EXPECT_TRUE(calls_.empty()) << "right button on " << link->Name();
        EXPECT_EQ(Click(CentreOf(*link)), mrNone) << link->Name();
        EXPECT_EQ(calls_, std::vector{ShellCall(B().Handle(), L"open", Wide(file).c_str(), nullptr,
                                                nullptr, 5)});
    }
    calls_.clear();
    B().lblURL1Click(&B().Shape1); // a sender that is no label opens nothing
    EXPECT_TRUE(calls_.empty());
}

TEST_F(AboutBoxTest, ShowModalEndsWithOkOnAReleaseOverTheBackground) {
    const POINT at = Background();
    PostMessageA(B().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(B().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(B().ShowModal(), mrOk);
    EXPECT_FALSE(IsWindowVisible(B().Handle()));
    EXPECT_TRUE(IsWindowEnabled(gMain->Handle()));
}

// The main window's About command, with a timer that clicks the card once it
// is shown; a late WM_CLOSE ends it so that a fault cannot hang the test.
TEST(AboutFromMainWindow, ShowsTheCardModallyUntilItIsClicked) {
    HWND shown = nullptr;
    bool mainEnabled = true;
    int ticks = 0;
    TTimer clicker(nullptr, {.name = "clicker", .interval = 50});
    gMain->Show();
    SetFocus(gMain->FTV.Handle());
    const HWND focusBefore = GetFocus();
    clicker.OnTimer = [&](TObject*) {
        HWND box = FindWindowA("TAboutBox", nullptr);
        if (++ticks > 200 && box) PostMessageA(box, WM_CLOSE, 0, 0);
        if (!box || !IsWindowVisible(box) || shown) return;
        shown = box;
        mainEnabled = IsWindowEnabled(gMain->Handle());
        PostMessageA(box, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(Scaled(330), Scaled(8)));
        PostMessageA(box, WM_MBUTTONUP, 0, MAKELPARAM(Scaled(330), Scaled(8)));
    };
    gMain->btnAboutClick(&gMain->btnAbout);
    clicker.SetEnabled(false);
    ASSERT_TRUE(shown) << "no About window was shown";
    EXPECT_LE(ticks, 200) << "the click did not close it";
    EXPECT_FALSE(mainEnabled) << "the main window took input while it was shown";
    EXPECT_TRUE(IsWindowEnabled(gMain->Handle()));
    EXPECT_FALSE(IsWindow(shown)) << "not destroyed after showing";
    EXPECT_EQ(focusBefore, gMain->FTV.Handle());
    EXPECT_EQ(GetFocus(), focusBefore) << "the keyboard focus goes back to the tree";
}

} // namespace
