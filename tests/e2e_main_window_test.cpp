// End-to-end checks of Kelvane's main window: the real Kelvane.exe is started
// and its windows are read from outside the process, as a person's tools
// would read them (tests/remote).
#include <gtest/gtest.h>

#include <windows.h>
#include "tests/support/EndToEnd.h"
#include "tests/support/Text.h"
#include "tests/support/ToolBarGap.h"
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/remote/remote.h"

namespace {

using e2e::kExitTimeoutMs;
using e2e::kStatusBarClass;
using e2e::kToolBarClass;
using e2e::kTreeClass;
using e2e::startKelvane;
using remote::height;
using remote::width;

int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// A figure given for 96 dpi, at the screen's resolution.
int scaled(int pixels) {
    return MulDiv(pixels, screenDpi(), 96);
}

std::string describe(const RECT& r) {
    std::ostringstream s;
    s << "{left " << r.left << ", top " << r.top << ", width " << width(r) << ", height "
      << height(r) << "}";
    return s.str();
}

void expectRect(const RECT& actual, int left, int top, int w, int h, const std::string& what) {
    EXPECT_EQ(actual.left, left) << what << " left; actual " << describe(actual);
    EXPECT_EQ(actual.top, top) << what << " top; actual " << describe(actual);
    EXPECT_EQ(width(actual), w) << what << " width; actual " << describe(actual);
    EXPECT_EQ(height(actual), h) << what << " height; actual " << describe(actual);
}

TEST(KelvaneDisplay, TestScreenRunsAt96Dpi) {
    EXPECT_EQ(screenDpi(), 96) << "the figures below are scaled from 96 dpi";
}

// One running Kelvane shared by the checks that only read its window.
class KelvaneMainWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { main_ = startKelvane(process_, startError_); }

    static void TearDownTestSuite() {
        if (main_) PostMessageA(main_, WM_CLOSE, 0, 0);
        if (process_) process_->waitForExit(kExitTimeoutMs);
        process_.reset(); // terminates it if it is still there
        main_ = nullptr;
    }

    void SetUp() override { ASSERT_NE(main_, nullptr) << startError_; }

    // The one descendant of the main window of `className`, or nullptr (and a
    // failure) if there are none or several.
    static HWND onlyChild(const std::string& className) {
        const auto found = remote::findChildren(main_, className);
        EXPECT_EQ(found.size(), 1u) << "windows of class " << className;
        return found.size() == 1 ? found[0] : nullptr;
    }

    // The direct children of the main window that are not its tool bar,
    // status bar or tree: the panel holding the instruction strip.
    static std::vector<HWND> panels() {
        std::vector<HWND> others;
        for (HWND w : remote::directChildren(main_)) {
            const std::string name = remote::className(w);
            if (name != kToolBarClass && name != kStatusBarClass && name != kTreeClass)
                others.push_back(w);
        }
        return others;
    }

    static inline std::optional<remote::Process> process_;
    static inline HWND main_ = nullptr;
    static inline std::string startError_;
};

TEST_F(KelvaneMainWindow, CaptionIsKelvane) {
    EXPECT_EQ(remote::windowText(main_), "Kelvane");
    EXPECT_EQ(remote::waitForTopLevelWindow(*process_, "Kelvane", 1000), main_)
        << "looking the window up by caption and process finds the main window";
}

// The stored layout fills a client area of 478 x 319; the outer size is what
// this platform's frame adds around it.
TEST_F(KelvaneMainWindow, PositionClientAreaAndOuterSize) {
    expectRect(remote::clientRect(main_), 0, 0, scaled(478), scaled(319), "client area");
    RECT framed{0, 0, scaled(478), scaled(319)};
    ASSERT_TRUE(AdjustWindowRectEx(&framed, static_cast<DWORD>(GetWindowLongA(main_, GWL_STYLE)),
                                   FALSE, static_cast<DWORD>(GetWindowLongA(main_, GWL_EXSTYLE))));
    expectRect(remote::windowRect(main_), scaled(332), scaled(193), width(framed), height(framed),
               "main window (screen)");
}

TEST_F(KelvaneMainWindow, HasSizeableFrame) {
    const auto style = static_cast<DWORD>(GetWindowLongA(main_, GWL_STYLE));
    EXPECT_NE(style & WS_THICKFRAME, 0u) << "style 0x" << std::hex << style;
}

TEST_F(KelvaneMainWindow, HasIcon) {
    std::vector<std::string> found;
    for (WPARAM kind : {ICON_BIG, ICON_SMALL, ICON_SMALL2}) {
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutA(main_, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG, 5000, &icon) && icon)
            found.push_back("WM_GETICON " + std::to_string(kind));
    }
    // Windows reads the class icons across processes; Wine answers 0 there, so
    // they are also asked for inside the program's own process.
    if (GetClassLongPtrA(main_, GCLP_HICON)) found.push_back("class icon");
    if (GetClassLongPtrA(main_, GCLP_HICONSM)) found.push_back("small class icon");
    if (remote::classLongInOwnProcess(main_, GCLP_HICON)) found.push_back("class icon (inside)");
    if (remote::classLongInOwnProcess(main_, GCLP_HICONSM))
        found.push_back("small class icon (inside)");
    EXPECT_FALSE(found.empty()) << "neither WM_GETICON nor the window class gives an icon";
}

TEST_F(KelvaneMainWindow, HasToolBarStatusBarTreeAndPanel) {
    for (const char* name : {kToolBarClass, kStatusBarClass, kTreeClass}) {
        HWND child = onlyChild(name);
        if (child) {
            EXPECT_TRUE(IsWindowVisible(child)) << name;
        }
    }
    const auto others = panels();
    ASSERT_EQ(others.size(), 1u) << "direct children other than tool bar, status bar and tree";
    EXPECT_TRUE(IsWindowVisible(others[0])) << "panel of class " << remote::className(others[0]);
}

TEST_F(KelvaneMainWindow, ToolBarButtons) {
    HWND toolbar = onlyChild(kToolBarClass);
    ASSERT_NE(toolbar, nullptr);
    const auto buttons = remote::readToolBar(toolbar);
    ASSERT_EQ(buttons.size(), 7u);

    struct Expected {
        const char* caption; // cp932 bytes
        int image;
        bool enabled;
        int top; // in tool bar client coordinates, at 96 dpi
    };
    // Rows of 35 from 2; the 17-wide separator's gap is 11 on Windows, and
    // what this platform's tool bar makes of it (Wine: a fixed gap).
    const int gap = WrappedSeparatorGap(scaled(17), scaled(64), scaled(35)) - scaled(11);
    const std::optional<Expected> expected[7] = {
        Expected{"\xC4\xDE\xD7\xB2\xCC\xDE", 6, true, 2},          // ﾄﾞﾗｲﾌﾞ
        Expected{"\xC3\xDE\xBD\xB8\xC4\xAF\xCC\xDF", 0, true, 37}, // ﾃﾞｽｸﾄｯﾌﾟ
        std::nullopt,                                              // separator
        Expected{"\x8F\x88\x97\x9D\x8A\x4A\x8E\x6E", 1, true, 83}, // 処理開始
        Expected{"\x92\x86\x8E\x7E", 4, false, 118},               // 中止
        Expected{"\x8F\x49\x97\xB9", 3, true, 153},                // 終了
        Expected{"\xBF\xCC\xC4\x82\xC9\x82\xC2\x82\xA2\x82\xC4", 5, true, 188}, // ｿﾌﾄについて
    };

    std::vector<int> commands;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const remote::ToolButton& b = buttons[i];
        SCOPED_TRACE("button " + std::to_string(i));
        if (!expected[i]) {
            EXPECT_TRUE(b.separator()) << "fsStyle 0x" << std::hex << int{b.style};
            EXPECT_EQ(b.image, scaled(17)) << "separator width";
            continue;
        }
        const Expected& e = *expected[i];
        EXPECT_FALSE(b.separator()) << "fsStyle 0x" << std::hex << int{b.style};
        EXPECT_FALSE(b.hidden());
        EXPECT_EQ(Hex(b.text), Hex(e.caption)) << "caption bytes (cp932)";
        EXPECT_EQ(b.image, e.image) << "image index";
        EXPECT_EQ(b.enabled(), e.enabled) << "fsState 0x" << std::hex << int{b.state};
        ASSERT_TRUE(b.rect.has_value()) << "TB_GETITEMRECT failed";
        EXPECT_EQ(width(*b.rect), scaled(64)) << describe(*b.rect);
        EXPECT_EQ(height(*b.rect), scaled(35)) << describe(*b.rect);
        EXPECT_EQ(b.rect->top, scaled(e.top) + (i > 2 ? gap : 0)) << describe(*b.rect);
        commands.push_back(b.command);
    }
    std::sort(commands.begin(), commands.end());
    EXPECT_EQ(std::adjacent_find(commands.begin(), commands.end()), commands.end())
        << "two command buttons share a command id";
}

TEST_F(KelvaneMainWindow, Layout) {
    const RECT client = remote::clientRect(main_);
    const int cw = width(client), ch = height(client);
    const int panelHeight = scaled(25), statusHeight = scaled(19), barWidth = scaled(64);

    const auto others = panels();
    ASSERT_EQ(others.size(), 1u) << "the panel";
    expectRect(remote::rectInClient(others[0], main_), 0, 0, cw, panelHeight,
               "panel of class " + remote::className(others[0]));

    HWND status = onlyChild(kStatusBarClass);
    ASSERT_NE(status, nullptr);
    expectRect(remote::rectInClient(status, main_), 0, ch - statusHeight, cw, statusHeight,
               "status bar");
    EXPECT_TRUE(remote::isSimpleStatus(status)) << "status bar in simple mode";

    HWND tree = onlyChild(kTreeClass);
    ASSERT_NE(tree, nullptr);
    expectRect(remote::rectInClient(tree, main_), barWidth, panelHeight, cw - barWidth,
               ch - panelHeight - statusHeight, "tree");

    HWND toolbar = onlyChild(kToolBarClass);
    ASSERT_NE(toolbar, nullptr);
    const RECT bar = remote::rectInClient(toolbar, main_);
    EXPECT_EQ(bar.left, 0) << "tool bar " << describe(bar);
    EXPECT_EQ(width(bar), barWidth) << "tool bar " << describe(bar);
    EXPECT_GE(bar.top, panelHeight) << "tool bar below the panel: " << describe(bar);
}

TEST(KelvaneExit, ClosingTheMainWindowEndsTheProgramWithCodeZero) {
    std::optional<remote::Process> process;
    std::string error;
    HWND main = startKelvane(process, error);
    ASSERT_NE(main, nullptr) << error;

    ASSERT_TRUE(PostMessageA(main, WM_CLOSE, 0, 0));
    const auto code = process->waitForExit(kExitTimeoutMs);
    ASSERT_TRUE(code.has_value()) << "still running " << kExitTimeoutMs / 1000
                                  << " s after WM_CLOSE";
    EXPECT_EQ(*code, 0u);
}

} // namespace
