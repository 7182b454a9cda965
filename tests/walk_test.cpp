// The clearing walk over real folder trees and, through the file-system
// seam, over injected failures and reparse entries.
#include "app/Unit1.h"
#include "app/Unit1Texts.h"
#include "gui/Timer.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr DWORD RO = FILE_ATTRIBUTE_READONLY;
constexpr DWORD HIDDEN = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD SYSTEM = FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD DIR = FILE_ATTRIBUTE_DIRECTORY;

// Every text the program hands to the status bar window, in order: the
// window's procedure is replaced for the recorder's lifetime.
class StatusRecorder {
public:
    explicit StatusRecorder(HWND statusBar) : statusBar_(statusBar) {
        SetPropA(statusBar_, "StatusRecorder", this);
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(statusBar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~StatusRecorder() {
        SetWindowLongPtrA(statusBar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropA(statusBar_, "StatusRecorder");
    }
    std::vector<std::string> texts;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<StatusRecorder*>(GetPropA(hwnd, "StatusRecorder"));
        if (msg == SB_SETTEXTA) self->texts.emplace_back(reinterpret_cast<const char*>(lp));
        return CallWindowProcA(self->previous_, hwnd, msg, wp, lp);
    }
    HWND statusBar_;
    WNDPROC previous_;
};

std::string Completed(int n) { return texts::kCompleted + std::to_string(n) + texts::kItems; }
std::string Stopped(int n) { return texts::kStopped + std::to_string(n) + texts::kItems; }

class WalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        form = std::make_unique<TMainForm>(nullptr);
        status = std::make_unique<StatusRecorder>(form->StatusBar1.Handle());
    }
    void TearDown() override {
        status.reset();
        form.reset();
    }

    void Walk(const std::string& start) {
        form->FTV.SetRootFolderName(start);
        form->btnStartClick(&form->btnStart);
    }
    // The folders shown while walking: every status text after the start
    // message and before the final one.
    std::vector<std::string> FoldersShown() const {
        auto& t = status->texts;
        auto begin = std::find(t.begin(), t.end(), std::string(texts::kAcquiring));
        if (begin == t.end() || t.size() < 2) return {};
        return {begin + 1, t.end() - 1};
    }
    std::string FinalText() const {
        return status->texts.empty() ? std::string() : status->texts.back();
    }

    TempTree tree;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<StatusRecorder> status;
};

int Depth(const std::string& path) { return int(std::count(path.begin(), path.end(), '\\')); }

TEST_F(WalkTest, WalksBreadthFirstAndShowsEachQueuedFolder) {
    for (const char* d : {"a", "a\\a1", "a\\a2", "a\\a2\\deep", "b", "b\\b1", "c"}) tree.Dir(d);
    Walk(tree.Root());

    std::vector<std::string> shown = FoldersShown();
    std::set<std::string> expected;
    for (const char* d : {"a", "a\\a1", "a\\a2", "a\\a2\\deep", "b", "b\\b1", "c"})
        expected.insert(tree.Path(d));
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()), expected);
    ASSERT_EQ(shown.size(), expected.size()) << "each folder is shown once";
    for (std::size_t i = 1; i < shown.size(); ++i)
        EXPECT_LE(Depth(shown[i - 1]), Depth(shown[i])) << "all of one depth before the next";
    EXPECT_EQ(FinalText(), Completed(0));
    EXPECT_EQ(form->StatusBar1.SimpleText(), Completed(0));
}

TEST_F(WalkTest, TakesOnlyTheReadOnlyBitOff) {
    std::string plain = tree.File("plain.txt", 0, "plain");
    std::string ro = tree.File("ro.txt", RO, "read only");
    std::string hidden = tree.File("hidden.txt", RO | HIDDEN, "hidden");
    std::string system = tree.File("system.txt", RO | SYSTEM | HIDDEN, "system");
    std::string sub = tree.Dir("sub");
    std::string inner = tree.File("sub\\inner.txt", RO, "inner");
    ASSERT_TRUE(tree.UnixReadOnly("sub"));
    const std::vector<std::string> all{plain, ro, hidden, system, sub, inner};
    std::map<std::string, DWORD> before;
    std::map<std::string, FILETIME> times;
    for (auto& p : all) before[p] = Attributes(p), times[p] = LastWriteTime(p);
    ASSERT_TRUE(before[hidden] & HIDDEN);
    ASSERT_TRUE(before[system] & SYSTEM);

    Walk(tree.Root());

    for (auto& p : all) {
        EXPECT_EQ(Attributes(p), before[p] & ~RO) << p;
        FILETIME t = LastWriteTime(p);
        if (!(before[p] & DIR)) {
            EXPECT_EQ(CompareFileTime(&t, &times[p]), 0) << p;
        }
    }
    EXPECT_EQ(ReadContent(ro), "read only");
    EXPECT_EQ(ReadContent(inner), "inner");
    EXPECT_EQ(ReadContent(system), "system");
    EXPECT_EQ(FinalText(), Completed(5)) << "the read-only subfolder is cleared and walked";
    EXPECT_EQ(FoldersShown(), std::vector<std::string>{sub});
}

TEST_F(WalkTest, ReadOnlyStartFolderStaysReadOnly) {
    tree.Dir("start");
    tree.File("start\\f.txt", RO);
    ASSERT_TRUE(tree.UnixReadOnly("start"));
    Walk(tree.Path("start"));
    EXPECT_TRUE(Attributes(tree.Path("start")) & RO);
    EXPECT_EQ(Attributes(tree.Path("start\\f.txt")) & RO, 0u);
    EXPECT_EQ(FinalText(), Completed(1));
}

TEST_F(WalkTest, FolderNameEndingInTrailByte5CListsItsOwnEntries) {
    for (const char* name : {"一覧表", "ソ"}) { // second bytes 0x5C in cp932
        ASSERT_EQ(std::string(name).back(), '\\');
        TempTree local;
        std::string dir = local.Dir(name);
        local.File(std::string(name) + "\\own.txt", RO);
        local.File("parent.txt", RO);
        status->texts.clear();
        Walk(dir);
        EXPECT_EQ(Attributes(dir + "\\own.txt") & RO, 0u) << name;
        EXPECT_TRUE(Attributes(local.Path("parent.txt")) & RO) << name;
        EXPECT_EQ(FinalText(), Completed(1)) << name;
    }
}

TEST_F(WalkTest, SymbolicLinkToFolderIsNeitherFollowedNorChanged) {
    TempTree outside;
    std::string target = outside.Dir("target");
    std::string victim = outside.File("target\\victim.txt", RO);
    ASSERT_TRUE(outside.UnixReadOnly("target"));
    tree.File("mine.txt", RO);
    ASSERT_TRUE(tree.UnixSymlink("link", target));
    ASSERT_EQ(Attributes(tree.Path("link")) & (DIR | FILE_ATTRIBUTE_REPARSE_POINT),
              DIR | FILE_ATTRIBUTE_REPARSE_POINT);

    Walk(tree.Root());

    EXPECT_TRUE(Attributes(target) & RO);
    EXPECT_TRUE(Attributes(victim) & RO);
    EXPECT_TRUE(FoldersShown().empty());
    EXPECT_EQ(FinalText(), Completed(1));
}

TEST_F(WalkTest, EmptyOrRelativeStartFolderListsNothing) {
    for (std::string start : {"", "Control Panel", "sub\\folder", "C:"}) {
        status->texts.clear();
        Walk(start);
        EXPECT_EQ(status->texts, (std::vector<std::string>{texts::kAcquiring, Completed(0)}))
            << start;
        EXPECT_TRUE(form->btnStart.Enabled());
        EXPECT_FALSE(form->btnStop.Enabled());
    }
}

// ---- through the file-system seam ----

WIN32_FIND_DATAA Entry(const char* name, DWORD attributes, DWORD tag = 0) {
    WIN32_FIND_DATAA d{};
    lstrcpynA(d.cFileName, name, MAX_PATH);
    d.dwFileAttributes = attributes;
    d.dwReserved0 = tag;
    return d;
}

// A file system of listings given per search pattern; unknown patterns fail
// as access denied. Records every call.
class FakeFileSystem : public TFileSystem {
public:
    std::map<std::string, std::vector<WIN32_FIND_DATAA>> listings;
    std::set<std::string> failingChanges;
    std::vector<std::string> patterns;
    std::vector<std::pair<std::string, DWORD>> changes;
    std::function<void(const std::string&)> onFindFirst;
    std::function<void()> onFindNext;
    int open = 0;

    HANDLE FindFirstFile(const char* pattern, WIN32_FIND_DATAA* data) override {
        patterns.push_back(pattern);
        if (onFindFirst) onFindFirst(pattern);
        auto it = listings.find(pattern);
        if (it == listings.end() || it->second.empty()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        current_ = &it->second;
        next_ = 0;
        ++open;
        Fill(data);
        return reinterpret_cast<HANDLE>(this);
    }
    BOOL FindNextFile(HANDLE, WIN32_FIND_DATAA* data) override {
        if (onFindNext) onFindNext();
        if (next_ >= current_->size()) return FALSE;
        Fill(data);
        return TRUE;
    }
    BOOL FindClose(HANDLE) override {
        --open;
        return TRUE;
    }
    BOOL SetFileAttributes(const char* path, DWORD attributes) override {
        changes.emplace_back(path, attributes);
        return failingChanges.count(path) ? FALSE : TRUE;
    }

private:
    void Fill(WIN32_FIND_DATAA* data) {
        // Only what a real listing writes: the tag stays as the caller left
        // it unless the entry is a reparse point.
        const WIN32_FIND_DATAA& e = (*current_)[next_++];
        DWORD keptTag = data->dwReserved0;
        *data = e;
        if (!(e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) data->dwReserved0 = keptTag;
    }
    std::vector<WIN32_FIND_DATAA>* current_ = nullptr;
    std::size_t next_ = 0;
};

class SeamTest : public WalkTest {
protected:
    void SetUp() override {
        WalkTest::SetUp();
        form->SetFileSystem(fs);
    }
    FakeFileSystem fs;
};

TEST_F(SeamTest, DriveRootPatternHasNoDoubledSeparator) {
    fs.listings["C:\\*.*"] = {Entry(".", DIR), Entry("..", DIR), Entry("dir", DIR)};
    fs.listings["C:\\dir\\*.*"] = {Entry(".", DIR), Entry("..", DIR), Entry("x", RO)};
    Walk("C:\\");
    EXPECT_EQ(fs.patterns, (std::vector<std::string>{"C:\\*.*", "C:\\dir\\*.*"}));
    ASSERT_EQ(fs.changes.size(), 1u);
    EXPECT_EQ(fs.changes[0], (std::pair<std::string, DWORD>{"C:\\dir\\x", 0}));
    EXPECT_EQ(fs.open, 0) << "every search that opened is closed";
}

TEST_F(SeamTest, AccessDeniedFolderIsSkippedSilently) {
    fs.listings["X:\\r\\*.*"] = {Entry("denied", DIR | RO), Entry("ok", DIR)};
    fs.listings["X:\\r\\ok\\*.*"] = {Entry("f", RO | FILE_ATTRIBUTE_ARCHIVE)};
    Walk("X:\\r");
    EXPECT_EQ(fs.patterns.size(), 3u);
    EXPECT_EQ(FinalText(), Completed(2)) << "the denied folder's own attribute was cleared";
    EXPECT_EQ(fs.changes.back(),
              (std::pair<std::string, DWORD>{"X:\\r\\ok\\f", FILE_ATTRIBUTE_ARCHIVE}));
}

TEST_F(SeamTest, FailedChangeIsNotCounted) {
    fs.listings["X:\\r\\*.*"] = {Entry("a", RO), Entry("b", RO), Entry("c", RO | HIDDEN)};
    fs.failingChanges = {"X:\\r\\b"};
    Walk("X:\\r");
    EXPECT_EQ(fs.changes.size(), 3u) << "every read-only entry is tried";
    EXPECT_EQ(FinalText(), Completed(2));
}

TEST_F(SeamTest, LinksAreSkippedAndOtherReparsePointsAreOrdinary) {
    const DWORD REPARSE = FILE_ATTRIBUTE_REPARSE_POINT;
    fs.listings["X:\\r\\*.*"] = {
        Entry("junction", DIR | REPARSE | RO, IO_REPARSE_TAG_MOUNT_POINT),
        Entry("symlink", DIR | REPARSE | RO, IO_REPARSE_TAG_SYMLINK),
        Entry("filelink", REPARSE | RO, IO_REPARSE_TAG_SYMLINK),
        Entry("untagged", DIR | REPARSE | RO), // as Wine lists a Unix link
        Entry("cloud", DIR | REPARSE | RO, IO_REPARSE_TAG_CLOUD_1),
        Entry("placeholder", REPARSE | RO, IO_REPARSE_TAG_CLOUD_1),
        Entry("plain", DIR)};
    fs.listings["X:\\r\\cloud\\*.*"] = {Entry("f", RO)};
    fs.listings["X:\\r\\plain\\*.*"] = {Entry(".", DIR)};
    Walk("X:\\r");
    EXPECT_EQ(fs.patterns,
              (std::vector<std::string>{"X:\\r\\*.*", "X:\\r\\cloud\\*.*", "X:\\r\\plain\\*.*"}));
    std::vector<std::string> changed;
    for (auto& c : fs.changes) changed.push_back(c.first);
    EXPECT_EQ(changed, (std::vector<std::string>{"X:\\r\\cloud", "X:\\r\\placeholder",
                                                 "X:\\r\\cloud\\f"}));
    EXPECT_EQ(fs.changes[0].second, DIR | REPARSE);
}

// A Stop that is already queued when Start runs is handled at the walk's
// first message pumping.
void PostStop(TMainForm& form) {
    PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(form.btnStop.CommandId(), BN_CLICKED),
                 LPARAM(form.ToolBar1.Handle()));
}

TEST_F(SeamTest, StopPostedBeforeStartEndsAtTheFirstCheck) {
    fs.listings["X:\\r\\*.*"] = {Entry("sub", DIR | RO), Entry("f", RO)};
    fs.listings["X:\\r\\sub\\*.*"] = {Entry("g", RO)};
    PostStop(*form);
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), Stopped(2));
    EXPECT_EQ(fs.patterns.size(), 1u) << "no queued folder is scanned";
    EXPECT_EQ(FoldersShown(), std::vector<std::string>{"X:\\r\\sub"});
}

TEST_F(SeamTest, StopPostedBeforeStartWithoutSubfoldersCompletes) {
    fs.listings["X:\\r\\*.*"] = {Entry("f", RO), Entry("g", 0)};
    PostStop(*form);
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), Completed(1));
    EXPECT_FALSE(form->Running());
}

// Paint requests are served during one long listing, but a Stop waiting in
// the queue is not: it is handled before the next folder.
TEST_F(SeamTest, LongListingRepaintsButTakesNoCommand) {
    form->Show(); // hidden windows get no paint requests
    std::vector<WIN32_FIND_DATAA> many{Entry("sub", DIR)};
    for (int i = 0; i < 40; ++i) {
        char name[16];
        wsprintfA(name, "f%d", i);
        many.push_back(Entry(name, RO));
    }
    fs.listings["X:\\r\\*.*"] = many;
    fs.listings["X:\\r\\sub\\*.*"] = {Entry("g", RO)};
    int paints = 0;
    bool runningAtEndOfListing = false;
    HWND panel = form->Panel1.Handle();
    fs.onFindFirst = [&](const std::string& pattern) {
        if (pattern != "X:\\r\\*.*") return;
        ValidateRect(panel, nullptr);
        InvalidateRect(panel, nullptr, TRUE);
        PostStop(*form);
    };
    fs.onFindNext = [&] {
        Sleep(5); // a slow file system: the listing outlasts the paint interval
        RECT dirty;
        if (!GetUpdateRect(panel, &dirty, FALSE) && paints == 0) ++paints;
        runningAtEndOfListing = form->Running();
    };
    Walk("X:\\r");
    EXPECT_EQ(paints, 1) << "the panel was painted during the listing";
    EXPECT_TRUE(runningAtEndOfListing) << "the Stop waited for the next folder";
    EXPECT_EQ(FinalText(), Stopped(40));
}

// About pressed during a walk: the card is modal, so the walk waits until
// it is closed and then goes on.
TEST_F(SeamTest, AboutDuringAWalkHoldsItUntilClosed) {
    fs.listings["X:\\r\\*.*"] = {Entry("a", DIR), Entry("f", RO)};
    fs.listings["X:\\r\\a\\*.*"] = {Entry("g", RO)};
    form->Show();
    PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->btnAbout.CommandId(), BN_CLICKED),
                 LPARAM(form->ToolBar1.Handle()));
    std::size_t scansWhileShown = 99;
    TTimer closer(nullptr, {.name = "closer", .interval = 50});
    closer.OnTimer = [&](TObject*) {
        HWND box = FindWindowA("TAboutBox", nullptr);
        if (!box || !IsWindowVisible(box) || scansWhileShown != 99) return;
        scansWhileShown = fs.patterns.size();
        PostMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 195));
        PostMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 195));
    };
    Walk("X:\\r");
    closer.SetEnabled(false);
    EXPECT_EQ(scansWhileShown, 0u) << "no folder was scanned while the card was shown";
    EXPECT_EQ(fs.patterns.size(), 2u);
    EXPECT_EQ(FinalText(), Completed(2));
}

struct ButtonStates {
    bool start, stop, running, walking;
    bool operator==(const ButtonStates&) const = default;
};

ButtonStates StatesOf(const TMainForm& f) {
    return {f.btnStart.Enabled(), f.btnStop.Enabled(), f.Running(), f.Walking()};
}

TEST_F(SeamTest, ButtonsFollowIdleWalkingStoppingIdle) {
    fs.listings["X:\\r\\*.*"] = {Entry("a", DIR), Entry("b", DIR)};
    fs.listings["X:\\r\\a\\*.*"] = {Entry("f", RO)};
    fs.listings["X:\\r\\b\\*.*"] = {Entry("f", RO)};
    EXPECT_EQ(StatesOf(*form), (ButtonStates{true, false, false, false}));
    std::vector<ButtonStates> seen;
    fs.onFindFirst = [&](const std::string& pattern) {
        seen.push_back(StatesOf(*form));
        if (pattern == "X:\\r\\a\\*.*") {
            form->btnStopClick(&form->btnStop);
            seen.push_back(StatesOf(*form));
            form->btnStartClick(&form->btnStart); // refused: the walk is still on the stack
            seen.push_back(StatesOf(*form));
        }
    };
    Walk("X:\\r");
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], (ButtonStates{false, true, true, true})) << "walking";
    EXPECT_EQ(seen[1], (ButtonStates{false, true, true, true})) << "walking";
    EXPECT_EQ(seen[2], (ButtonStates{true, false, false, true})) << "stopping";
    EXPECT_EQ(seen[3], (ButtonStates{true, false, false, true})) << "nested Start refused";
    EXPECT_EQ(fs.patterns.size(), 2u) << "the refused Start scanned nothing";
    EXPECT_EQ(FinalText(), Stopped(1));
    EXPECT_EQ(StatesOf(*form), (ButtonStates{true, false, false, false}));

    // The next walk counts from 0 again.
    fs.onFindFirst = nullptr;
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), Completed(2));
}

TEST_F(SeamTest, MessagesAreExactBytes) {
    fs.listings["X:\\r\\*.*"] = {Entry("a", RO), Entry("b", RO)};
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), "\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49\r"
                           "\x93\xC7\x82\xDD\x82\xC6\x82\xE8\x90\xEA\x97\x70\x89\xF0\x8F\x9C"
                           "\x90\x94\x81\x46"
                           "2\x8C\x8F");
    EXPECT_EQ(status->texts.front(),
              "\xCC\xA7\xB2\xD9\xC3\xDE\xB0\xC0\x82\xF0\x8A\x6C\x93\xBE\x92\x86\x82\xC5\x82\xB7"
              "...");
    PostStop(*form);
    fs.listings["X:\\r\\*.*"].push_back(Entry("d", DIR));
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), "\x92\x86\x8E\x7E\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49\r"
                           "\x93\xC7\x82\xDD\x82\xC6\x82\xE8\x90\xEA\x97\x70\x89\xF0\x8F\x9C"
                           "\x90\x94\x81\x46"
                           "2\x8C\x8F");
}

} // namespace
