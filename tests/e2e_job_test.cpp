// An end-to-end job with the real Kelvane.exe, driven as a person would drive
// it: the mouse and the keyboard are the X server's (xdotool), the screen is
// read from outside the process (tests/remote), and the files are checked
// from the Linux side. A screenshot of each step is kept in the build folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/Unit1Texts.h"
#include "tests/remote/remote.h"
#include "tests/support/EndToEnd.h"
#include "tests/support/KelvaneTree.h"
#include "tests/support/Person.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempTree.h"
#include "tests/support/Text.h"
#include "tests/support/UnixModes.h"
#include "tests/support/UnixShell.h"

#ifndef KELVANE_ARTIFACTS
#error "KELVANE_ARTIFACTS must name the folder for the screenshots (set by tests/CMakeLists.txt)"
#endif

namespace {

using e2e::kExitTimeoutMs;
using e2e::kStatusBarClass;
using e2e::kStepTimeoutMs;
using e2e::kToolBarClass;
using e2e::kTreeClass;
using e2e::Person;
using e2e::waitUntil;
using remote::centre;
using remote::height;
using remote::toScreen;
using remote::width;

constexpr DWORD kJobTimeoutMs = 60000; // a bound for the whole walk

constexpr char kToolTipClass[] = "tooltips_class32";

constexpr char kMyComputer[] = "マイ コンピューター"; // Wine's name, in cp932

// A status line as read back and as bytes, for failure messages.
std::string shown(const std::string& text) {
    return "\"" + text + "\" [" + Hex(text) + "]";
}

std::string describe(const RECT& r) {
    std::ostringstream s;
    s << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
    return s.str();
}

std::string describe(POINT p) {
    std::ostringstream s;
    s << "(" << p.x << ", " << p.y << ")";
    return s.str();
}

// Wine's X window of a top-level window (a window property Wine sets).
unsigned long xWindowOf(HWND window) {
    return static_cast<unsigned long>(
        reinterpret_cast<ULONG_PTR>(GetPropA(window, "__wine_x11_whole_window")));
}

// The X server's map state of an X window as xwininfo names it ("IsViewable",
// "IsUnMapped", "IsUnviewable"), or "gone" if there is no such window.
std::string xMapState(unsigned long xWindow) {
    std::string info;
    if (RunUnixShell("xwininfo -id " + std::to_string(xWindow) + " 2>/dev/null", 15000, &info) != 0)
        return "gone";
    const std::string key = "Map State: ";
    const size_t at = info.find(key);
    if (at == std::string::npos) return "unknown";
    const size_t end = info.find('\n', at);
    return info.substr(at + key.size(), end == std::string::npos ? end : end - at - key.size());
}

// The one descendant of `parent` of `className`, or nullptr.
HWND onlyChild(HWND parent, const std::string& className) {
    const auto found = remote::findChildren(parent, className);
    return found.size() == 1 ? found[0] : nullptr;
}

class KelvaneJob : public ::testing::Test {
  protected:
    // --- the folders ---------------------------------------------------------

    // job\ and outside\ side by side, with read-only files and folders (the
    // folders made read-only from the Linux side: Wine ignores the read-only
    // attribute set on a folder), a hidden read-only file, a plain file and a
    // read-only folder two levels down.
    void makeFolders() {
        job_ = tree_.Dir("job");
        outside_ = tree_.Dir("outside");
        for (const char* d : {"job\\locked", "job\\level1", "job\\level1\\level2", "outside\\shut"})
            tree_.Dir(d);
        const DWORD ro = FILE_ATTRIBUTE_READONLY;
        for (const char* f :
             {"job\\first.txt", "job\\second.dat", "job\\locked\\inner.txt",
              "job\\locked\\other.txt", "job\\level1\\middle.txt", "job\\level1\\level2\\deep.txt"})
            readOnlyFiles_.push_back(tree_.File(f, ro));
        hidden_ = tree_.File("job\\.secret.txt", ro | FILE_ATTRIBUTE_HIDDEN);
        readOnlyFiles_.push_back(hidden_);
        plain_ = tree_.File("job\\plain.txt");
        for (const char* f : {"outside\\near.txt", "outside\\far.txt", "outside\\shut\\kept.txt"})
            outsideFiles_.push_back(tree_.File(f, ro));

        // Folders read-only from the Linux side, deepest first.
        readOnlyFolders_ = {tree_.Path("job\\level1\\level2"), tree_.Path("job\\locked")};
        for (const char* d :
             {"job\\level1\\level2", "job\\locked", "outside\\shut", "outside", "job"})
            ASSERT_TRUE(tree_.UnixReadOnly(d)) << "chmod a-w " << d;
    }

    // --- the program's windows ------------------------------------------------

    void startProgram() {
        std::string error;
        main_ = e2e::startKelvane(process_, error);
        ASSERT_NE(main_, nullptr) << error;
        toolbar_ = onlyChild(main_, kToolBarClass);
        status_ = onlyChild(main_, kStatusBarClass);
        treeWindow_ = onlyChild(main_, kTreeClass);
        ASSERT_NE(toolbar_, nullptr);
        ASSERT_NE(status_, nullptr);
        ASSERT_NE(treeWindow_, nullptr);
        nodes_.emplace(treeWindow_, person_);
    }

    std::string status() const { return remote::readStatusText(status_); }

    e2e::KelvaneTree& nodes() { return *nodes_; }
    const remote::RemoteTree& view() const { return nodes_->view(); }

    // A screen point on the item's text, after scrolling it into view, checked
    // to be over the tree.
    std::optional<POINT> pointOnText(HTREEITEM item) {
        const auto p = nodes().pointOnText(item);
        if (p) {
            EXPECT_EQ(WindowFromPoint(*p), treeWindow_) << "the window under " << describe(*p);
        }
        return p;
    }

    // The caption of the tool bar's own hot item; empty for none.
    std::string hotCaption() const {
        const auto hot = static_cast<size_t>(SendMessageA(toolbar_, TB_GETHOTITEM, 0, 0));
        const auto buttons = remote::readToolBar(toolbar_);
        return hot < buttons.size() ? buttons[hot].text : std::string();
    }

    // A tool bar button's centre in screen coordinates, found by its caption.
    std::optional<POINT> toolButton(const std::string& caption, bool& enabled) const {
        for (const auto& b : remote::readToolBar(toolbar_))
            if (!b.separator() && b.text == caption && b.rect) {
                enabled = b.enabled();
                return toScreen(toolbar_, centre(*b.rect));
            }
        return std::nullopt;
    }

    // The visible top-level windows of the program other than its main window
    // and tool tips.
    std::vector<HWND> otherWindows() const {
        std::vector<HWND> found;
        for (HWND w : remote::topLevelWindows(process_->id()))
            if (w != main_ && IsWindowVisible(w) && remote::className(w) != kToolTipClass)
                found.push_back(w);
        return found;
    }

    // --- the keyboard ----------------------------------------------------------

    // The program's window with the keyboard focus.
    HWND focused() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    }

    // `count` presses of `keysym`, 30 ms apart.
    bool keys(const std::string& keysym, int count) {
        return RunUnixShell("xdotool key --delay 30 --repeat " + std::to_string(count) + " " +
                            keysym) == 0;
    }

    // Moves the tree's selection to `item` with Down or Up, as many presses as
    // there are visible items between, then waits for it.
    bool selectByKeys(HTREEITEM item) {
        for (int round = 0; round < 3; ++round) {
            const HTREEITEM from = view().selection();
            if (from == item) return true;
            for (UINT relation : {UINT(TVGN_NEXTVISIBLE), UINT(TVGN_PREVIOUSVISIBLE)}) {
                int steps = 0;
                HTREEITEM at = from;
                while (at && at != item && steps < 2000) {
                    at = view().nextItem(at, relation);
                    ++steps;
                }
                if (at != item) continue;
                if (!keys(relation == TVGN_NEXTVISIBLE ? "Down" : "Up", steps)) return false;
                break;
            }
            if (waitUntil([&] { return view().selection() == item; })) return true;
        }
        return false;
    }

    // Selects `item` by keys and opens it with Right.
    bool openByKeys(HTREEITEM item) {
        if (!selectByKeys(item)) return false;
        if (!nodes().expanded(item) && !person_.key("Right")) return false;
        return nodes().waitForChildren(item);
    }

    void TearDown() override {
        if (process_ && process_->running() && main_) {
            PostMessageA(main_, WM_CLOSE, 0, 0);
            process_->waitForExit(kExitTimeoutMs);
        }
        nodes_.reset();
        process_.reset(); // terminates it if it is still there
    }

    TempTree tree_;
    std::string job_, outside_, hidden_, plain_;
    std::vector<std::string> readOnlyFiles_, readOnlyFolders_, outsideFiles_;

    std::optional<remote::Process> process_;
    HWND main_ = nullptr, toolbar_ = nullptr, status_ = nullptr, treeWindow_ = nullptr;

    Person person_;
    std::optional<e2e::KelvaneTree> nodes_;
    e2e::Screenshots screens_{KELVANE_ARTIFACTS};
};

TEST_F(KelvaneJob, PickAFolderInTheTreeStartAndReadTheCountThenOpenAndCloseAbout) {
    // 1. The folders, and what the Linux side says of them before the job.
    ASSERT_NO_FATAL_FAILURE(makeFolders());
    for (const auto& f : readOnlyFiles_)
        ASSERT_TRUE(Attributes(f) & FILE_ATTRIBUTE_READONLY) << f << " made read-only";
    ASSERT_TRUE(Attributes(hidden_) & FILE_ATTRIBUTE_HIDDEN) << hidden_ << " made hidden";
    const auto before = UnixModes({UnixPath(job_), UnixPath(outside_)});
    ASSERT_FALSE(before.empty()) << "find over " << job_ << " and " << outside_;
    const std::string jobUnix = UnixPath(job_);
    int readOnlyBelowJob = 0;
    for (const auto& [path, mode] : before)
        if (path.rfind(jobUnix + "/", 0) == 0 && !HasWriteBit(mode)) ++readOnlyBelowJob;
    ASSERT_EQ(readOnlyBelowJob, 9) << "7 files and 2 folders below job are read-only";
    ASSERT_FALSE(HasWriteBit(before.at(jobUnix))) << "job itself is read-only too";

    // 2. The program, and where its windows are on the X screen: Wine's X
    // window of an unmanaged top-level window (the prefix sets Managed to N)
    // is the whole window, frame included, placed 1:1 in screen coordinates.
    ASSERT_NO_FATAL_FAILURE(startProgram());
    {
        const unsigned long xWindow = xWindowOf(main_);
        ASSERT_NE(xWindow, 0u) << "Wine's X window of the main window";
        std::string geometry;
        ASSERT_EQ(RunUnixShell("xdotool getwindowgeometry --shell " + std::to_string(xWindow),
                               15000, &geometry),
                  0);
        const RECT frame = remote::windowRect(main_);
        std::ostringstream expected;
        expected << "X=" << frame.left << "\nY=" << frame.top << "\nWIDTH=" << width(frame)
                 << "\nHEIGHT=" << height(frame) << "\n";
        EXPECT_NE(geometry.find(expected.str()), std::string::npos)
            << "xdotool: " << geometry << "Windows: " << expected.str();
        EXPECT_EQ(xMapState(xWindow), "IsViewable");
    }
    ASSERT_TRUE(waitUntil([&] {
        const HTREEITEM root = view().root();
        return root && view().firstChild(root);
    })) << "the tree shows nothing";
    screens_.take("started", main_);

    // 3. Down the tree to job. The root, My Computer, shows its drives.
    const HTREEITEM computer = view().root();
    ASSERT_NE(computer, nullptr) << "an empty tree";
    EXPECT_EQ(view().item(computer).text, kMyComputer);
    // The status line for each folder selected: the copyright banner for the
    // first one after start-up, the folder's path from then on.
    int selections = 0;
    const auto expectStatusFor = [&](const std::string& path) {
        const std::string expected = selections++ == 0 ? std::string(Narrow(texts::kBanner)) : path;
        waitUntil([&] { return status() == expected; });
        EXPECT_EQ(status(), expected)
            << "status after selection " << selections << ": " << shown(status());
    };
    // The tree has the focus from start-up and, taking it with nothing
    // selected, selects its first visible item as Windows' tree does.
    EXPECT_TRUE(waitUntil([&] { return view().selection() == computer; }))
        << "My Computer not selected at start-up";
    expectStatusFor("");
    if (!nodes().expanded(computer)) {
        const auto button = nodes().expandButton(computer);
        ASSERT_TRUE(button && person_.click(*button)) << "My Computer's expand button";
        ASSERT_TRUE(nodes().waitForChildren(computer)) << "My Computer did not open";
    }
    ASSERT_TRUE(nodes().waitForChildren(computer)) << "My Computer shows no drives";

    // The drive of the test's folder (Windows' temporary folder): clicked with
    // the mouse, then opened with the keyboard (Right).
    const std::string root = tree_.Root();
    const std::string driveName = "(" + root.substr(0, 2) + ")";
    const HTREEITEM drive = nodes().drive(computer, root.substr(0, 2));
    ASSERT_NE(drive, nullptr) << "no " << driveName
                              << " under My Computer: " << nodes().childrenText(computer);
    {
        const auto p = pointOnText(drive);
        ASSERT_TRUE(p) << driveName << " could not be scrolled into view";
        ASSERT_TRUE(person_.click(*p)) << "click at " << describe(*p);
    }
    ASSERT_TRUE(waitUntil([&] { return view().selection() == drive; }))
        << driveName << " not selected";
    expectStatusFor(root.substr(0, 3));
    screens_.take("drive-selected", main_);
    ASSERT_TRUE(person_.key("Right"));
    ASSERT_TRUE(nodes().waitForChildren(drive)) << "Right did not open " << driveName;
    screens_.take("drive-open", main_);

    // The folders down to the test's own: each scrolled to with the wheel and
    // opened by its expand button, which leaves the selection and the status
    // line as they were.
    const std::vector<std::string> way = FoldersDownTo(root);
    HTREEITEM parent = drive;
    for (size_t i = 1; i + 1 < way.size(); ++i) {
        const std::string name = way[i].substr(way[i].rfind('\\') + 1);
        const HTREEITEM folder = nodes().child(parent, name);
        ASSERT_NE(folder, nullptr)
            << "no " << name << " under " << way[i - 1] << ": " << nodes().childrenText(parent);
        const std::string statusBefore = status();
        const auto button = nodes().expandButton(folder);
        ASSERT_TRUE(button) << "no expand button on " << name << " in view";
        EXPECT_EQ(WindowFromPoint(*button), treeWindow_);
        ASSERT_TRUE(person_.click(*button)) << "click at " << describe(*button);
        ASSERT_TRUE(nodes().waitForChildren(folder)) << name << " did not open";
        EXPECT_EQ(view().selection(), drive) << "the expand button changed the selection";
        EXPECT_EQ(status(), statusBefore) << "the expand button changed the status line";
        parent = folder;
    }
    screens_.take("temp-open", main_);

    // The test's own folder: a double-click selects and opens it.
    const std::string baseName = root.substr(root.rfind('\\') + 1);
    const HTREEITEM base = nodes().child(parent, baseName);
    ASSERT_NE(base, nullptr) << "no " << baseName << " among: " << nodes().childrenText(parent);
    {
        const auto p = pointOnText(base);
        ASSERT_TRUE(p) << baseName << " could not be scrolled into view";
        ASSERT_TRUE(person_.click(*p, 2)) << "double-click at " << describe(*p);
    }
    ASSERT_TRUE(waitUntil([&] { return view().selection() == base; }))
        << baseName << " not selected";
    ASSERT_TRUE(nodes().waitForChildren(base)) << "the double-click did not open " << baseName;
    expectStatusFor(root);
    EXPECT_EQ(nodes().childrenText(base), "job | outside") << "the folders below " << baseName;
    screens_.take("base-open", main_);

    const HTREEITEM job = nodes().child(base, "job");
    ASSERT_NE(job, nullptr);
    {
        const auto p = pointOnText(job);
        ASSERT_TRUE(p) << "job could not be scrolled into view";
        ASSERT_TRUE(person_.click(*p)) << "click at " << describe(*p);
    }
    ASSERT_TRUE(waitUntil([&] { return view().selection() == job; })) << "job not selected";
    expectStatusFor(job_);
    screens_.take("job-selected", main_);

    // 4. Start: the walk ends with the count of read-only entries it cleared.
    {
        bool enabled = false;
        const auto start = toolButton(Narrow(texts::kStart), enabled);
        ASSERT_TRUE(start) << "no Start button";
        EXPECT_TRUE(enabled) << "Start is disabled";
        EXPECT_EQ(WindowFromPoint(*start), toolbar_);
        ASSERT_TRUE(person_.click(*start)) << "click at " << describe(*start);
    }
    std::string completed = Narrow(texts::kCompleted);
    std::string completedAsRead = completed; // Wine reads the carriage return back as a blank
    std::replace(completedAsRead.begin(), completedAsRead.end(), '\r', ' ');
    const auto isCompletion = [&](const std::string& s) {
        return s.rfind(completed, 0) == 0 || s.rfind(completedAsRead, 0) == 0;
    };
    const bool finished = waitUntil([&] { return isCompletion(status()); }, kJobTimeoutMs);
    const std::string last = status();
    screens_.take("job-done", main_);
    ASSERT_TRUE(finished) << "no completion within " << kJobTimeoutMs / 1000
                          << " s; status: " << shown(last);
    const std::string count = std::to_string(readOnlyBelowJob) + Narrow(texts::kItems);
    EXPECT_TRUE(last == completed + count || last == completedAsRead + count)
        << "status: " << shown(last) << "; expected " << shown(completedAsRead + count);

    // The files, from the Linux side: everything below job is writable, job
    // itself and everything in outside are as they were.
    const auto after = UnixModes({UnixPath(job_), UnixPath(outside_)});
    ASSERT_EQ(after.size(), before.size()) << "entries found before and after";
    for (const auto& [path, mode] : before) {
        SCOPED_TRACE(path);
        ASSERT_EQ(after.count(path), 1u) << "gone";
        const std::string& now = after.at(path);
        if (path.rfind(jobUnix + "/", 0) == 0) {
            EXPECT_TRUE(HasWriteBit(now)) << "mode before " << mode << ", after " << now;
            if (HasWriteBit(mode)) {
                EXPECT_EQ(now, mode) << "a writable entry was changed";
            }
        } else {
            EXPECT_EQ(now, mode) << (path == jobUnix ? "job itself" : "in outside");
        }
    }
    // And from Windows: no read-only attribute below job, the hidden file still
    // hidden, job and outside still read-only.
    for (const auto& f : readOnlyFiles_)
        EXPECT_FALSE(Attributes(f) & FILE_ATTRIBUTE_READONLY) << f;
    for (const auto& d : readOnlyFolders_)
        EXPECT_FALSE(Attributes(d) & FILE_ATTRIBUTE_READONLY) << d;
    EXPECT_TRUE(Attributes(hidden_) & FILE_ATTRIBUTE_HIDDEN) << hidden_;
    EXPECT_FALSE(Attributes(plain_) & FILE_ATTRIBUTE_READONLY) << plain_;
    EXPECT_TRUE(Attributes(job_) & FILE_ATTRIBUTE_READONLY) << job_;
    EXPECT_TRUE(Attributes(outside_) & FILE_ATTRIBUTE_READONLY) << outside_;
    for (const auto& f : outsideFiles_)
        EXPECT_TRUE(Attributes(f) & FILE_ATTRIBUTE_READONLY) << f;

    // 5. About: a borderless topmost card, modal, closed by a click on its
    // background near its bottom-left corner (away from every label).
    ASSERT_TRUE(otherWindows().empty()) << "a window other than the main one is already shown";
    {
        bool enabled = false;
        const auto about = toolButton(Narrow(texts::kAbout), enabled);
        ASSERT_TRUE(about) << "no About button";
        EXPECT_TRUE(enabled) << "About is disabled";
        EXPECT_EQ(WindowFromPoint(*about), toolbar_);
        ASSERT_TRUE(person_.click(*about)) << "click at " << describe(*about);
    }
    HWND card = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        const auto others = otherWindows();
        card = others.empty() ? nullptr : others.front();
        return card != nullptr;
    })) << "no About window";
    // Shown on the X screen too.
    const unsigned long cardX = xWindowOf(card);
    EXPECT_NE(cardX, 0u) << "Wine's X window of the About window";
    EXPECT_TRUE(cardX && waitUntil([&] { return xMapState(cardX) == "IsViewable"; }))
        << "About's X window: " << xMapState(cardX);
    screens_.take("about-open", main_);
    {
        const RECT r = remote::windowRect(card);
        EXPECT_EQ(width(r), 345) << describe(r);
        EXPECT_EQ(height(r), 201) << describe(r);
        const auto style = static_cast<DWORD>(GetWindowLongA(card, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongA(card, GWL_EXSTYLE));
        EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME), 0u)
            << "style 0x" << std::hex << style;
        EXPECT_NE(exStyle & WS_EX_TOPMOST, 0u) << "extended style 0x" << std::hex << exStyle;
        EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window is disabled while About shows";
    }
    {
        const POINT background = toScreen(card, {10, 195});
        EXPECT_EQ(GetAncestor(WindowFromPoint(background), GA_ROOT), card)
            << "the window under " << describe(background);
        ASSERT_TRUE(person_.click(background)) << "click at " << describe(background);
    }
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(card) || !IsWindowVisible(card); }))
        << "About still shown " << kStepTimeoutMs / 1000 << " s after the click";
    if (cardX) {
        EXPECT_TRUE(waitUntil([&] { return xMapState(cardX) != "IsViewable"; }))
            << "About's X window still viewable " << kStepTimeoutMs / 1000 << " s after the click";
    }
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main_) != FALSE; }))
        << "the main window is enabled again";
    screens_.take("about-closed", main_);

    // 6. Closing the main window ends the program.
    ASSERT_TRUE(PostMessageA(main_, WM_CLOSE, 0, 0));
    const auto code = process_->waitForExit(kExitTimeoutMs);
    ASSERT_TRUE(code.has_value()) << "still running " << kExitTimeoutMs / 1000
                                  << " s after WM_CLOSE";
    EXPECT_EQ(*code, 0u);
    screens_.take("closed");
}

// The same job without the mouse: the tree has the focus at start-up, the
// arrow keys go down to job, Tab reaches the tool bar, Down twice reaches
// Start (the separator is passed over) and Enter presses it. Then a long
// walk over long\ is started the same way and stopped with Escape, and Space
// on Quit ends the program.
TEST_F(KelvaneJob, KeysAloneRunAJobAndEscapeStopsALongOne) {
    ASSERT_NO_FATAL_FAILURE(makeFolders());
    // long\: 50 x 80 folders with three read-only files each, made from the
    // Linux side (fast), so that the walk over it lasts a few seconds.
    constexpr int kLongFiles = 50 * 80 * 3;
    const std::string longUnix = UnixPath(tree_.Path("long"));
    ASSERT_EQ(RunUnixShell("mkdir " + ShellQuote(longUnix) + " && cd " + ShellQuote(longUnix) +
                               " && awk 'BEGIN{for(a=1;a<=50;a++)for(b=1;b<=80;b++)"
                               "print \"d\" a \"/e\" b}' >../dirs && xargs mkdir -p <../dirs"
                               " && awk '{print $0\"/f1\"; print $0\"/f2\"; print $0\"/f3\"}'"
                               " ../dirs >../files && xargs touch <../files"
                               " && rm ../dirs ../files",
                           120000),
              0);
    ASSERT_TRUE(TakeFileWriteBits(longUnix));
    ASSERT_EQ(CountUnwritable(longUnix, true), kLongFiles);

    ASSERT_NO_FATAL_FAILURE(startProgram());
    // The keyboard of the X server goes to the program's window.
    ASSERT_EQ(RunUnixShell("xdotool windowfocus --sync " + std::to_string(xWindowOf(main_))), 0);
    ASSERT_TRUE(waitUntil([&] {
        const HTREEITEM root = view().root();
        return root && view().firstChild(root);
    })) << "the tree shows nothing";
    EXPECT_TRUE(waitUntil([&] { return focused() == treeWindow_; }))
        << "the focus is on " << remote::className(focused()) << ", not the tree";
    screens_.take("keys-started", main_);

    // Down the tree: My Computer, the drive, each folder, the test's own, job.
    const HTREEITEM computer = view().root();
    if (!view().selection()) {
        ASSERT_TRUE(person_.key("Down"));
    }
    ASSERT_TRUE(openByKeys(computer)) << "My Computer";
    const std::string root = tree_.Root();
    const std::string driveName = "(" + root.substr(0, 2) + ")";
    HTREEITEM parent = nodes().drive(computer, root.substr(0, 2));
    ASSERT_NE(parent, nullptr) << driveName
                               << " under My Computer: " << nodes().childrenText(computer);
    ASSERT_TRUE(openByKeys(parent)) << driveName;
    const std::vector<std::string> way = FoldersDownTo(root);
    for (size_t i = 1; i < way.size(); ++i) {
        const std::string name = way[i].substr(way[i].rfind('\\') + 1);
        const HTREEITEM folder = nodes().child(parent, name);
        ASSERT_NE(folder, nullptr)
            << name << " under " << way[i - 1] << ": " << nodes().childrenText(parent);
        ASSERT_TRUE(openByKeys(folder)) << name;
        parent = folder;
    }
    EXPECT_EQ(nodes().childrenText(parent), "job | long | outside");
    const HTREEITEM job = nodes().child(parent, "job");
    ASSERT_TRUE(job && selectByKeys(job)) << "job";
    EXPECT_TRUE(waitUntil([&] { return status() == job_; })) << shown(status());

    // Tab to the tool bar, Down twice to Start, Enter.
    ASSERT_TRUE(person_.key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return focused() == toolbar_; }))
        << "Tab left the focus on " << remote::className(focused());
    ASSERT_TRUE(keys("Down", 2));
    EXPECT_TRUE(waitUntil([&] { return hotCaption() == Narrow(texts::kStart); }))
        << "the keys move the tool bar's own hot item, not to " << shown(hotCaption());
    screens_.take("keys-on-start", main_);
    ASSERT_TRUE(person_.key("Return"));
    std::string completedAsRead = Narrow(texts::kCompleted); // the carriage return reads as a blank
    std::replace(completedAsRead.begin(), completedAsRead.end(), '\r', ' ');
    const std::string done = completedAsRead + std::to_string(readOnlyFiles_.size() + 2) +
                             Narrow(texts::kItems); // and the two read-only folders
    ASSERT_TRUE(waitUntil([&] { return status() == done; }, kJobTimeoutMs))
        << "status: " << shown(status()) << "; expected " << shown(done);
    for (const auto& f : readOnlyFiles_)
        EXPECT_FALSE(Attributes(f) & FILE_ATTRIBUTE_READONLY) << f;
    for (const auto& f : outsideFiles_)
        EXPECT_TRUE(Attributes(f) & FILE_ATTRIBUTE_READONLY) << f;
    EXPECT_EQ(focused(), toolbar_) << "the walk kept the focus where it was";

    // Shift+Tab back to the tree, Down to long, Tab, Enter on Start again.
    ASSERT_TRUE(person_.key("shift+Tab"));
    ASSERT_TRUE(waitUntil([&] { return focused() == treeWindow_; }))
        << "Shift+Tab left the focus on " << remote::className(focused());
    const HTREEITEM longItem = nodes().child(parent, "long");
    ASSERT_TRUE(longItem && selectByKeys(longItem)) << "long";
    ASSERT_TRUE(waitUntil([&] { return status() == tree_.Path("long"); })) << shown(status());
    ASSERT_TRUE(person_.key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return focused() == toolbar_; }));
    const auto stopEnabled = [&] {
        for (const auto& b : remote::readToolBar(toolbar_))
            if (b.text == Narrow(texts::kStop)) return b.enabled();
        return false;
    };
    ASSERT_TRUE(person_.key("Return"));
    // Escape once the walk shows a folder below long\d1 (Stop enabled).
    const std::string below = tree_.Path("long") + "\\d";
    ASSERT_TRUE(
        waitUntil([&] { return status().rfind(below, 0) == 0 && stopEnabled(); }, kJobTimeoutMs))
        << "the long walk did not start: " << shown(status());
    ASSERT_TRUE(person_.key("Escape"));
    std::string stoppedAsRead = Narrow(texts::kStopped);
    std::replace(stoppedAsRead.begin(), stoppedAsRead.end(), '\r', ' ');
    ASSERT_TRUE(waitUntil([&] { return status().rfind(stoppedAsRead, 0) == 0; }, kJobTimeoutMs))
        << "Escape did not stop the walk: " << shown(status());
    screens_.take("keys-stopped", main_);
    const std::string stopped = status();
    const std::string count = stopped.substr(stoppedAsRead.size());
    ASSERT_GT(count.size(), std::string(Narrow(texts::kItems)).size()) << shown(stopped);
    const int cleared = std::stoi(count);
    EXPECT_EQ(count, std::to_string(cleared) + Narrow(texts::kItems)) << shown(stopped);
    EXPECT_LT(cleared, kLongFiles) << "the walk ran to its end";
    EXPECT_EQ(CountUnwritable(longUnix, true), kLongFiles - cleared)
        << "files cleared on disk against the count";
    EXPECT_FALSE(stopEnabled());

    // Escape with no walk does nothing.
    ASSERT_TRUE(person_.key("Escape"));
    ASSERT_TRUE(person_.key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return focused() == treeWindow_; }));
    EXPECT_EQ(status(), stopped);
    EXPECT_EQ(view().selection(), longItem);

    // Back on the tool bar, Down from Start passes the disabled Stop and
    // reaches Quit; Space presses it.
    ASSERT_TRUE(person_.key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return focused() == toolbar_; }));
    ASSERT_TRUE(person_.key("Down"));
    EXPECT_TRUE(waitUntil([&] { return hotCaption() == Narrow(texts::kQuit); }))
        << shown(hotCaption());
    ASSERT_TRUE(person_.key("space"));
    const auto code = process_->waitForExit(kExitTimeoutMs);
    ASSERT_TRUE(code.has_value()) << "Space on Quit did not end the program";
    EXPECT_EQ(*code, 0u);

    EXPECT_EQ(RunUnixShell("rm -rf " + ShellQuote(longUnix), 120000), 0); // faster than Wine
}

} // namespace
