// The clearing walk over real folder trees and, through the file-system
// seam, over injected failures and reparse entries.
#include "app/Unit1.h"
#include "app/Unit1Texts.h"
#include "gui/Timer.h"
#include "tests/support/TempTree.h"
#include "tests/support/Text.h"
#include "tests/support/UnixModes.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WideFolders.h"

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
            SetWindowLongPtrW(statusBar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~StatusRecorder() {
        SetWindowLongPtrW(statusBar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropA(statusBar_, "StatusRecorder");
    }
    std::vector<std::string> texts; // in the code page, as tests name them
    std::vector<std::wstring> wideTexts;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<StatusRecorder*>(GetPropA(hwnd, "StatusRecorder"));
        if (msg == SB_SETTEXTW) {
            self->wideTexts.emplace_back(reinterpret_cast<const wchar_t*>(lp));
            self->texts.push_back(Narrow(self->wideTexts.back()));
        }
        return CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
    }
    HWND statusBar_;
    WNDPROC previous_;
};

std::string Completed(int n) {
    return Narrow(texts::kCompleted) + std::to_string(n) + Narrow(texts::kItems);
}
std::string Stopped(int n) {
    return Narrow(texts::kStopped) + std::to_string(n) + Narrow(texts::kItems);
}
std::string NotOpened(const std::string& folder, const char* reason) {
    return Narrow(texts::kStartNotOpened) + folder + "（" + reason + "）";
}
// Wine's texts for the system's reasons, under the Japanese locale.
constexpr char kBadName[] = "名前は正しくありません。";

// The real file system, with the walk's message boxes kept, by owner, instead
// of shown; a box that is not the program's warning is marked.
struct BoxRecorder : TFileSystem {
    std::vector<std::pair<HWND, std::string>> boxes;
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        const bool warning =
            type == (MB_OK | MB_ICONWARNING) && caption == std::wstring(texts::kCaption);
        boxes.emplace_back(owner, (warning ? "" : "not a warning: ") + Narrow(text));
        return IDOK;
    }
};

class WalkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<TWindowed<TMainForm>>(nullptr);
        form->SetFileSystem(real);
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
        auto begin = std::find(t.begin(), t.end(), Narrow(texts::kAcquiring));
        if (begin == t.end() || t.size() < 2) return {};
        return {begin + 1, t.end() - 1};
    }
    std::string FinalText() const {
        return status->texts.empty() ? std::string() : status->texts.back();
    }
    // The text of the one box that the walk showed, owned by its window.
    std::string OnlyBox(const BoxRecorder& r) const {
        if (r.boxes.size() != 1 || r.boxes[0].first != form->Handle()) return "no one box";
        return r.boxes[0].second;
    }

    TempTree tree;
    BoxRecorder real;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<StatusRecorder> status;
};

int Depth(const std::string& path) {
    return int(std::count(path.begin(), path.end(), '\\'));
}

TEST_F(WalkTest, WalksBreadthFirstAndShowsEachQueuedFolder) {
    for (const char* d : {"a", "a\\a1", "a\\a2", "a\\a2\\deep", "b", "b\\b1", "c"})
        tree.Dir(d);
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
    EXPECT_EQ(Narrow(form->StatusBar1.SimpleText()), Completed(0));
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
    for (auto& p : all)
        before[p] = Attributes(p), times[p] = LastWriteTime(p);
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

// An immutable file refuses the change as one the user may not change would.
TEST_F(WalkTest, FileThatCannotBeChangedIsCountedAndNamed) {
    const std::string a = tree.File("a.txt", RO), b = tree.File("b.txt", RO);
    const std::string stuck = tree.File("stuck.txt", RO);
    const std::string unixStuck = ShellQuoteUnix(UnixPath(stuck));
    ASSERT_EQ(RunUnixShell("chattr +i " + unixStuck), 0);
    Walk(tree.Root());
    EXPECT_EQ(RunUnixShell("chattr -i " + unixStuck), 0); // so that the tree can go
    EXPECT_EQ((Attributes(a) | Attributes(b)) & RO, 0u);
    EXPECT_TRUE(Attributes(stuck) & RO);
    EXPECT_EQ(FinalText(), Completed(2) + "\r解除できなかった項目：1件");
    EXPECT_EQ(OnlyBox(real), "解除できなかった項目：" + stuck +
                                 "（アクセスが拒否されました。）\r\n\r\n解除できなかった項目：1件");
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

// ---- hostile names over a real tree ----

// Names that the code page, the Win32 path rules or a link would turn into
// another entry, each beside the entry it would become: after the walk every
// read-only entry below the chosen folder is cleared and counted, and nothing
// else changed, not the chosen folder itself nor anything beside it.
TEST_F(WalkTest, HostileNamesChangeNothingOutsideTheChosenFolder) {
    WideFolders w(tree);
    // Outside: what a best-fit or a link would reach.
    w.Dir(L"victim");
    w.File(L"victim\\in.txt", RO);
    w.File(L"v.txt", RO);
    w.File(L"out.txt", RO);
    // The chosen folder, read-only and system: a file named "¥" once reached it.
    w.Dir(L"c");
    for (const wchar_t* dir : {L"c\\..¥victim", L"c\\한", L"c\\sub", L"c\\sub\\¥", L"c\\Café〜😀"})
        w.Dir(dir);
    for (const wchar_t* file :
         {L"c\\..¥victim\\in.txt", L"c\\..¥v.txt", L"c\\¥", L"c\\café.txt", L"c\\dot.", L"c\\sp ",
          L"c\\nul.txt", L"c\\com1", L"c\\aux", L"c\\한\\😀.txt", L"c\\sub\\¥\\f"})
        w.File(file, RO);
    for (const wchar_t* twin : {L"c\\cafe.txt", L"c\\dot", L"c\\sp"})
        w.File(twin, HIDDEN | SYSTEM);
    // A chain whose paths pass 400 characters, a read-only file at every level.
    std::wstring chain = L"c";
    for (int level = 0; level < 8; ++level) {
        chain += L"\\" + std::wstring(50, wchar_t(L'p' + level));
        w.Dir(chain);
        w.File(chain + L"\\f.txt", RO);
    }
    ASSERT_EQ(w.Failures(), "");
    ASSERT_GT(w.Path(chain).size(), 400u);
    ASSERT_TRUE(SetFileAttributesW(w.Path(L"c").c_str(), SYSTEM));
    // Outside the assertion, whose message quotes its code: cp932 has no 한.
    const std::vector<std::string> readOnly{w.UnixPath(L"c\\한"), w.UnixPath(L"c\\sub\\¥"),
                                            w.UnixPath(L"c")};
    ASSERT_TRUE(TakeWriteBits(readOnly));
    // A Unix link to a file outside: Wine lists it as a plain read-only file.
    ASSERT_EQ(RunUnixShell("ln -s " + ShellQuoteUnix(w.UnixPath(L"out.txt")) + " " +
                           ShellQuoteUnix(w.UnixPath(L"c\\flink"))),
              0);

    const std::map<std::wstring, DWORD> before = w.Snapshot();
    ASSERT_EQ(before.at(L"c\\flink"), RO | FILE_ATTRIBUTE_ARCHIVE) << "a plain file to Wine";
    ASSERT_EQ(before.at(L"c") & (RO | SYSTEM), RO | SYSTEM);
    ASSERT_EQ(before.at(L"c\\cafe.txt") & (HIDDEN | SYSTEM | RO), HIDDEN | SYSTEM);
    int expected = 0;
    for (auto& [path, attributes] : before)
        if (path.rfind(L"c\\", 0) == 0 && path != L"c\\flink" && (attributes & RO)) ++expected;
    ASSERT_EQ(expected, 13 + 8);

    Walk(tree.Path("c"));

    for (auto& [path, attributes] : w.Snapshot()) {
        const bool inside = path.rfind(L"c\\", 0) == 0 && path != L"c\\flink";
        const DWORD old = before.at(path);
        EXPECT_EQ(attributes, inside ? old & ~RO : old) << Narrow(path);
    }
    EXPECT_EQ(FinalText(), Completed(expected));
    const std::vector<std::wstring>& shown = status->wideTexts; // each folder the walk passes
    for (const wchar_t* folder : {L"c\\Café〜😀", L"c\\한", L"c\\sub\\¥"})
        EXPECT_NE(std::find(shown.begin(), shown.end(), w.Path(folder)), shown.end())
            << Narrow(folder);
}

TEST_F(WalkTest, EmptyOrRelativeStartFolderListsNothing) {
    for (std::string start : {"", "Control Panel", "sub\\folder", "C:"}) {
        status->texts.clear();
        Walk(start);
        const char* reason = start.empty() ? "パスが見つかりません。" : kBadName;
        EXPECT_EQ(status->texts,
                  (std::vector<std::string>{Narrow(texts::kAcquiring), NotOpened(start, reason)}))
            << start;
        EXPECT_TRUE(form->btnStart.Enabled());
        EXPECT_FALSE(form->btnStop.Enabled());
    }
}

// ---- through the file-system seam ----

WIN32_FIND_DATAW Entry(const wchar_t* name, DWORD attributes, DWORD tag = 0) {
    WIN32_FIND_DATAW d{};
    lstrcpynW(d.cFileName, name, MAX_PATH);
    d.dwFileAttributes = attributes;
    d.dwReserved0 = tag;
    return d;
}

// A file system of listings given per search pattern; unknown patterns fail
// as access denied. Every path it is handed must be an extended-length one;
// it records them without the "\\?\" prefix. An entry's final path is its
// own unless `finalPaths` says otherwise.
class FakeFileSystem : public BoxRecorder {
  public:
    std::map<std::wstring, std::vector<WIN32_FIND_DATAW>> listings;
    std::map<std::wstring, std::wstring> finalPaths; // full final paths; none: it fails
    bool dosPaths = true; // false: normalized DOS paths fail, as on a RAM disk
    std::set<std::wstring> failingOpens, failingChanges;
    std::vector<std::wstring> patterns, opened;
    std::vector<DWORD> accesses;
    std::vector<std::pair<std::wstring, DWORD>> changes;
    std::function<void(const std::wstring&)> onFindFirst;
    std::function<void()> onFindNext;
    int searches = 0, entries = 0, unprefixed = 0;
    // WOW64 as the fake plays it: redirection can be turned off only when
    // `wow64`; a call made while it is on, or an unpaired switch, is counted.
    bool wow64 = false, redirected = true;
    int redirectedCalls = 0, unpaired = 0;

    BOOL DisableRedirection(PVOID* previous) override {
        if (!wow64) return FALSE;
        unpaired += !redirected;
        redirected = false;
        *previous = this;
        return TRUE;
    }
    BOOL RevertRedirection(PVOID previous) override {
        unpaired += !wow64 || redirected || previous != this;
        redirected = true;
        return TRUE;
    }

    HANDLE FindFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* data) override {
        Called();
        patterns.push_back(Unprefixed(pattern));
        if (onFindFirst) onFindFirst(patterns.back());
        auto it = listings.find(patterns.back());
        if (it == listings.end() || it->second.empty()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        current_ = &it->second;
        next_ = 0;
        ++searches;
        Fill(data);
        return reinterpret_cast<HANDLE>(this);
    }
    BOOL FindNextFile(HANDLE, WIN32_FIND_DATAW* data) override {
        Called();
        if (onFindNext) onFindNext();
        if (next_ >= current_->size()) return SetLastError(ERROR_NO_MORE_FILES), FALSE;
        Fill(data);
        return TRUE;
    }
    BOOL FindClose(HANDLE) override {
        --searches;
        return TRUE;
    }
    HANDLE OpenEntry(const wchar_t* path, DWORD access) override {
        Called();
        accesses.push_back(access);
        opened.push_back(Unprefixed(path));
        if (failingOpens.count(opened.back()))
            return SetLastError(ERROR_SHARING_VIOLATION), INVALID_HANDLE_VALUE;
        ++entries;
        return reinterpret_cast<HANDLE>(opened.size()); // the index + 1
    }
    bool GetFinalPath(HANDLE entry, DWORD flags, std::wstring& path) override {
        const std::wstring& name = NameOf(entry);
        auto it = finalPaths.find(name);
        path = it != finalPaths.end() ? it->second : L"\\\\?\\" + name;
        if (path.empty() || (!dosPaths && flags == 0))
            return SetLastError(ERROR_INVALID_FUNCTION), false;
        if (flags & VOLUME_NAME_NT) path.replace(0, 4, L"\\Device\\"); // "\\?\Y:" as "\Device\Y:"
        return true;
    }
    BOOL SetAttributes(HANDLE entry, DWORD attributes) override {
        Called();
        changes.emplace_back(NameOf(entry), attributes);
        if (!failingChanges.count(changes.back().first)) return TRUE;
        return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    }
    BOOL CloseEntry(HANDLE) override {
        --entries;
        return TRUE;
    }
    std::vector<std::wstring> Changed() const {
        std::vector<std::wstring> paths;
        for (auto& c : changes)
            paths.push_back(c.first);
        return paths;
    }

  private:
    void Called() { redirectedCalls += wow64 && redirected; }
    std::wstring Unprefixed(const wchar_t* path) {
        std::wstring text(path);
        if (text.rfind(L"\\\\?\\", 0) != 0) {
            ++unprefixed;
            return text;
        }
        return text.substr(4);
    }
    const std::wstring& NameOf(HANDLE entry) const {
        return opened[reinterpret_cast<std::size_t>(entry) - 1];
    }
    void Fill(WIN32_FIND_DATAW* data) {
        // Only what a real listing writes: the tag stays as the caller left
        // it unless the entry is a reparse point.
        const WIN32_FIND_DATAW& e = (*current_)[next_++];
        DWORD keptTag = data->dwReserved0;
        *data = e;
        if (!(e.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) data->dwReserved0 = keptTag;
    }
    std::vector<WIN32_FIND_DATAW>* current_ = nullptr;
    std::size_t next_ = 0;
};

class SeamTest : public WalkTest {
  protected:
    void SetUp() override {
        WalkTest::SetUp();
        form->SetFileSystem(fs);
    }
    void TearDown() override {
        EXPECT_EQ(fs.unprefixed, 0) << "every path is an extended-length one";
        EXPECT_EQ(fs.searches, 0) << "every search that opened is closed";
        EXPECT_EQ(fs.entries, 0) << "every entry that opened is closed";
        EXPECT_EQ(fs.unpaired, 0) << "redirection is turned on only after it went off";
        EXPECT_TRUE(fs.redirected) << "and it is on again after the walk";
        WalkTest::TearDown();
    }
    FakeFileSystem fs;
};

TEST_F(SeamTest, DriveRootPatternHasNoDoubledSeparator) {
    fs.listings[L"C:\\*"] = {Entry(L".", DIR), Entry(L"..", DIR), Entry(L"dir", DIR)};
    fs.listings[L"C:\\dir\\*"] = {Entry(L".", DIR), Entry(L"..", DIR), Entry(L"x", RO)};
    Walk("C:\\");
    EXPECT_EQ(fs.patterns, (std::vector<std::wstring>{L"C:\\*", L"C:\\dir\\*"}));
    ASSERT_EQ(fs.changes.size(), 1u);
    EXPECT_EQ(fs.changes[0], (std::pair<std::wstring, DWORD>{L"C:\\dir\\x", 0}));
}

TEST_F(SeamTest, FolderNotListedAndEntryNotChangedAreCountedAndNamed) {
    fs.listings[L"X:\\r\\*"] = {Entry(L"denied", DIR | RO), Entry(L"ok", DIR)};
    fs.listings[L"X:\\r\\ok\\*"] = {Entry(L"f", RO | FILE_ATTRIBUTE_ARCHIVE)};
    fs.failingChanges = {L"X:\\r\\ok\\f"};
    Walk("X:\\r");
    EXPECT_EQ(fs.patterns.size(), 3u);
    EXPECT_EQ(FinalText(), Completed(1) + "\r解除できなかった項目：1件\r開けなかったﾃﾞｨﾚｸﾄﾘ：1件")
        << "the denied folder's own attribute was cleared";
    EXPECT_EQ(OnlyBox(fs),
              "開けなかったﾃﾞｨﾚｸﾄﾘ：X:\\r\\denied（アクセスが拒否されました。）\r\n"
              "解除できなかった項目：X:\\r\\ok\\f（アクセスが拒否されました。）\r\n\r\n"
              "解除できなかった項目：1件\r\n開けなかったﾃﾞｨﾚｸﾄﾘ：1件");
    EXPECT_EQ(fs.changes.back(),
              (std::pair<std::wstring, DWORD>{L"X:\\r\\ok\\f", FILE_ATTRIBUTE_ARCHIVE}));
}

// Only a change that succeeded through a handle whose final path lies
// strictly below the chosen folder's is made and counted: not one whose link
// resolves beside it (even to a name that shares its first letters), nor to
// the chosen folder itself; one that cannot be opened, resolved or changed
// is named.
TEST_F(SeamTest, ChangesOnlyWhatResolvesBelowTheChosenFolder) {
    fs.listings[L"X:\\r\\*"] = {
        Entry(L"a", RO),      Entry(L"failing", RO), Entry(L"beside", RO),     Entry(L"prefix", RO),
        Entry(L"itself", RO), Entry(L"closed", RO),  Entry(L"deep", RO | DIR), Entry(L"lost", RO)};
    fs.listings[L"X:\\r\\deep\\*"] = {Entry(L"b", RO | HIDDEN)};
    fs.finalPaths = {{L"X:\\r", L"\\\\?\\Y:\\real\\r"},
                     {L"X:\\r\\a", L"\\\\?\\Y:\\real\\r\\a"},
                     {L"X:\\r\\failing", L"\\\\?\\Y:\\real\\r\\failing"},
                     {L"X:\\r\\beside", L"\\\\?\\Y:\\real\\victim"},
                     {L"X:\\r\\prefix", L"\\\\?\\Y:\\real\\rr\\prefix"},
                     {L"X:\\r\\itself", L"\\\\?\\Y:\\real\\r"},
                     {L"X:\\r\\deep", L"\\\\?\\Y:\\real\\r\\deep"},
                     {L"X:\\r\\deep\\b", L"\\\\?\\Y:\\real\\r\\deep\\b"},
                     {L"X:\\r\\lost", L""}};
    fs.failingOpens = {L"X:\\r\\closed"};
    fs.failingChanges = {L"X:\\r\\failing"};
    Walk("X:\\r");
    const std::vector<std::wstring> inside{L"X:\\r\\a", L"X:\\r\\failing", L"X:\\r\\deep",
                                           L"X:\\r\\deep\\b"};
    EXPECT_EQ(fs.Changed(), inside);
    EXPECT_EQ(fs.changes.back().second, HIDDEN);
    ASSERT_EQ(fs.opened.front(), L"X:\\r");
    EXPECT_EQ(fs.accesses.front(), DWORD(FILE_READ_ATTRIBUTES)) << "the chosen folder is only read";
    EXPECT_EQ(std::count(fs.accesses.begin(), fs.accesses.end(),
                         DWORD(FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES)),
              std::ptrdiff_t(fs.accesses.size() - 1));
    EXPECT_EQ(FinalText(), Completed(3) + "\r解除できなかった項目：3件");
    EXPECT_EQ(OnlyBox(fs),
              "解除できなかった項目：X:\\r\\failing（アクセスが拒否されました。）\r\n"
              "解除できなかった項目：X:\\r\\closed（共有違反です。）\r\n"
              "解除できなかった項目：X:\\r\\lost（使用できないファンクションです。）\r\n"
              "\r\n解除できなかった項目：3件");
    // Where normalized DOS paths fail (a RAM disk), NT names are compared.
    fs.dosPaths = false, fs.changes.clear(), fs.boxes.clear();
    Walk("X:\\r");
    EXPECT_EQ(fs.Changed(), inside);
    EXPECT_EQ(FinalText(), Completed(3) + "\r解除できなかった項目：3件");
}

// A start folder that is not a plain absolute path, or whose bytes do not
// convert exactly, is not opened nor listed; a UNC path gets its own prefix.
TEST_F(SeamTest, StartFolderMustBeAPlainAbsolutePath) {
    for (const char* start : {"C:\\tq\\..", "C:\\tq\\.\\x", "C:\\tq\\a\\..\\..", "C:\\a\\*",
                              "C:\\a?b", "C:\\a\\\\b", "C:\\a/..", "C:\\a:b", "C:\\a\x81",
                              "\\\\server", "\\\\server\\", "\\\\.\\C:\\x", "\\\\?\\C:\\x"}) {
        status->texts.clear();
        Walk(start);
        // Shown as the code page reads it: a byte it cannot read becomes its default.
        EXPECT_EQ(status->texts,
                  (std::vector<std::string>{Narrow(texts::kAcquiring),
                                            NotOpened(Narrow(Wide(start)), kBadName)}))
            << start;
    }
    EXPECT_TRUE(fs.patterns.empty());
    EXPECT_TRUE(fs.opened.empty());
    fs.failingOpens = {L"X:\\r"}; // a folder that cannot be opened is not listed either
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), NotOpened("X:\\r", "共有違反です。"));
    EXPECT_TRUE(fs.patterns.empty() && fs.boxes.empty());
    Walk("\\\\server\\share\\d");
    EXPECT_EQ(fs.patterns, std::vector<std::wstring>{L"UNC\\server\\share\\d\\*"});
}

TEST_F(SeamTest, LinksAreSkippedAndOtherReparsePointsAreOrdinary) {
    const DWORD REPARSE = FILE_ATTRIBUTE_REPARSE_POINT;
    fs.listings[L"X:\\r\\*"] = {Entry(L"junction", DIR | REPARSE | RO, IO_REPARSE_TAG_MOUNT_POINT),
                                Entry(L"symlink", DIR | REPARSE | RO, IO_REPARSE_TAG_SYMLINK),
                                Entry(L"filelink", REPARSE | RO, IO_REPARSE_TAG_SYMLINK),
                                Entry(L"untagged", DIR | REPARSE | RO), // as Wine lists a Unix link
                                Entry(L"cloud", DIR | REPARSE | RO, IO_REPARSE_TAG_CLOUD_1),
                                Entry(L"placeholder", REPARSE | RO, IO_REPARSE_TAG_CLOUD_1),
                                Entry(L"plain", DIR)};
    fs.listings[L"X:\\r\\cloud\\*"] = {Entry(L"f", RO)};
    fs.listings[L"X:\\r\\plain\\*"] = {Entry(L".", DIR)};
    Walk("X:\\r");
    EXPECT_EQ(fs.patterns,
              (std::vector<std::wstring>{L"X:\\r\\*", L"X:\\r\\cloud\\*", L"X:\\r\\plain\\*"}));
    EXPECT_EQ(fs.Changed(), (std::vector<std::wstring>{L"X:\\r\\cloud", L"X:\\r\\placeholder",
                                                       L"X:\\r\\cloud\\f"}));
    EXPECT_EQ(fs.changes[0].second, DIR | REPARSE);
}

// A Stop that is already queued when Start runs is handled at the walk's
// first message pumping.
void PostStop(TMainForm& form) {
    PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(form.btnStop.CommandId(), BN_CLICKED),
                 LPARAM(form.ToolBar1.Handle()));
}

TEST_F(SeamTest, StopPostedBeforeStartEndsAtTheFirstCheck) {
    fs.listings[L"X:\\r\\*"] = {Entry(L"sub", DIR | RO), Entry(L"f", RO)};
    fs.listings[L"X:\\r\\sub\\*"] = {Entry(L"g", RO)};
    fs.failingChanges = {L"X:\\r\\f"};
    PostStop(*form);
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), Stopped(1) + "\r解除できなかった項目：1件");
    EXPECT_EQ(fs.patterns.size(), 1u) << "no queued folder is scanned";
    EXPECT_EQ(FoldersShown(), std::vector<std::string>{"X:\\r\\sub"});
}

TEST_F(SeamTest, StopPostedBeforeStartWithoutSubfoldersCompletes) {
    fs.listings[L"X:\\r\\*"] = {Entry(L"f", RO), Entry(L"g", 0)};
    PostStop(*form);
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), Completed(1));
    EXPECT_FALSE(form->Running());
}

// Paint requests are served during one long listing, but a Stop waiting in
// the queue is not: it is handled before the next folder.
TEST_F(SeamTest, LongListingRepaintsButTakesNoCommand) {
    form->Show(); // hidden windows get no paint requests
    std::vector<WIN32_FIND_DATAW> many{Entry(L"sub", DIR)};
    for (int i = 0; i < 40; ++i) {
        wchar_t name[16];
        wsprintfW(name, L"f%d", i);
        many.push_back(Entry(name, RO));
    }
    fs.listings[L"X:\\r\\*"] = many;
    fs.listings[L"X:\\r\\sub\\*"] = {Entry(L"g", RO)};
    int paints = 0;
    bool runningAtEndOfListing = false;
    HWND panel = form->Panel1.Handle();
    fs.onFindFirst = [&](const std::wstring& pattern) {
        if (pattern != L"X:\\r\\*") return;
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

// Records, for each paint and each WM_APP that a window of the test's own is
// handed, whether the fake's redirection was on.
class PumpProbe {
  public:
    explicit PumpProbe(const FakeFileSystem& fs)
        : fs_(fs), window(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                          nullptr, nullptr, nullptr, nullptr)) {
        SetWindowSubclass(window, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~PumpProbe() { DestroyWindow(window); }
    std::vector<bool> redirected;

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<PumpProbe*>(data);
        if (msg == WM_PAINT || msg == WM_APP) self->redirected.push_back(self->fs_.redirected);
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, Proc, 1);
        return DefSubclassProc(h, msg, wp, lp);
    }
    const FakeFileSystem& fs_;

  public:
    const HWND window;
};

// Under WOW64 every listing, open and change of the walk is made with
// redirection off, and every message, the repaints during a long listing
// among them, is handled with it on.
TEST_F(SeamTest, RedirectionIsOffForTheWalksOwnCallsOnly) {
    fs.wow64 = true;
    std::vector<WIN32_FIND_DATAW> many{Entry(L"sub", DIR | RO)};
    for (int i = 0; i < 30; ++i)
        many.push_back(Entry((L"f" + std::to_wstring(i)).c_str(), RO));
    fs.listings[L"X:\\r\\*"] = many;
    fs.listings[L"X:\\r\\sub\\*"] = {Entry(L"g", RO)};
    PumpProbe probe(fs);
    bool paintedDuringListing = false;
    fs.onFindFirst = [&](const std::wstring&) {
        InvalidateRect(probe.window, nullptr, TRUE);
        PostMessageA(probe.window, WM_APP, 0, 0);
    };
    fs.onFindNext = [&] {
        Sleep(5); // the listing outlasts the paint interval
        paintedDuringListing |= !GetUpdateRect(probe.window, nullptr, FALSE);
    };
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), Completed(32));
    EXPECT_EQ(fs.redirectedCalls, 0);
    EXPECT_TRUE(paintedDuringListing);
    EXPECT_GE(probe.redirected.size(), 3u) << "paints during listings and a posted message";
    EXPECT_EQ(std::count(probe.redirected.begin(), probe.redirected.end(), false), 0);
}

// About pressed during a walk: the card is modal, so the walk waits until
// it is closed and then goes on.
TEST_F(SeamTest, AboutDuringAWalkHoldsItUntilClosed) {
    fs.listings[L"X:\\r\\*"] = {Entry(L"a", DIR), Entry(L"f", RO)};
    fs.listings[L"X:\\r\\a\\*"] = {Entry(L"g", RO)};
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
    fs.listings[L"X:\\r\\*"] = {Entry(L"a", DIR), Entry(L"b", DIR)};
    fs.listings[L"X:\\r\\a\\*"] = {Entry(L"f", RO)};
    fs.listings[L"X:\\r\\b\\*"] = {Entry(L"f", RO)};
    EXPECT_EQ(StatesOf(*form), (ButtonStates{true, false, false, false}));
    std::vector<ButtonStates> seen;
    fs.onFindFirst = [&](const std::wstring& pattern) {
        seen.push_back(StatesOf(*form));
        if (pattern == L"X:\\r\\a\\*") {
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
    fs.listings[L"X:\\r\\*"] = {Entry(L"a", RO), Entry(L"b", RO)};
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), "\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49\r"
                           "\x93\xC7\x82\xDD\x82\xC6\x82\xE8\x90\xEA\x97\x70\x89\xF0\x8F\x9C"
                           "\x90\x94\x81\x46"
                           "2\x8C\x8F");
    EXPECT_EQ(status->texts.front(),
              "\xCC\xA7\xB2\xD9\xC3\xDE\xB0\xC0\x82\xF0\x8A\x6C\x93\xBE\x92\x86\x82\xC5\x82\xB7"
              "...");
    PostStop(*form);
    fs.listings[L"X:\\r\\*"].push_back(Entry(L"d", DIR));
    Walk("X:\\r");
    EXPECT_EQ(FinalText(), "\x92\x86\x8E\x7E\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49\r"
                           "\x93\xC7\x82\xDD\x82\xC6\x82\xE8\x90\xEA\x97\x70\x89\xF0\x8F\x9C"
                           "\x90\x94\x81\x46"
                           "2\x8C\x8F");
}

// On 64-bit Windows, a folder under System32 and its twin under SysWOW64,
// each with a read-only file, folder and file in that folder: made and read
// from the Linux side, which no redirection reaches.
class System32Test : public WalkTest {
  protected:
    void SetUp() override {
        BOOL wow64 = FALSE;
        if (sizeof(void*) == 4 && !(IsWow64Process(GetCurrentProcess(), &wow64) && wow64))
            GTEST_SKIP() << "32-bit Windows has no SysWOW64";
        WalkTest::SetUp();
        char windows[MAX_PATH];
        windowsFolder = std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH));
        name = "kv-" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(Unix("for t in system32 syswow64; do d=$W/$t/$N; mkdir -p $d/sub && touch $d/f "
                       "$d/sub/g; done"),
                  "");
        std::vector<std::string> readOnly;
        for (const char* twin : {"system32", "syswow64"})
            for (const char* entry : {"/f", "/sub/g", "/sub"})
                readOnly.push_back(Twin(twin) + entry);
        ASSERT_TRUE(TakeWriteBits(readOnly));
    }
    void TearDown() override {
        if (!name.empty()) {
            for (const char* twin : {"system32", "syswow64"})
                GiveWriteBitBack(Twin(twin));
            Unix("for t in system32 syswow64; do rm -r $W/$t/$N; done");
        }
        WalkTest::TearDown();
    }
    // The test's folder under System32 or SysWOW64, as the Linux side names it.
    std::string Twin(const char* twin) const {
        return UnixPath(windowsFolder) + "/" + twin + "/" + name;
    }
    std::string Unix(const std::string& script) {
        std::string out;
        EXPECT_EQ(
            RunUnixShell("W=" + ShellQuote(UnixPath(windowsFolder)) + " N=" + name + "; " + script,
                         15000, &out),
            0);
        return out;
    }
    int ReadOnlyLeft(const char* twin) {
        const int left = CountUnwritable(Twin(twin));
        EXPECT_GE(left, 0) << "find below " << Twin(twin);
        return left;
    }
    std::string windowsFolder, name;
};

TEST_F(System32Test, WalkOfAFolderUnderSystem32ChangesThatFolderOnly) {
    Walk(windowsFolder + "\\system32\\" + name);
    EXPECT_EQ(FinalText(), Completed(3));
    EXPECT_EQ(ReadOnlyLeft("system32"), 0);
    EXPECT_EQ(ReadOnlyLeft("syswow64"), 3);
}

// The real file system, changing only what lies in the test's own folders.
class OnlyTheTwins : public BoxRecorder {
  public:
    explicit OnlyTheTwins(std::string name) : name_(name.begin(), name.end()) {}
    bool GetFinalPath(HANDLE entry, DWORD flags, std::wstring& path) override {
        return TFileSystem::GetFinalPath(entry, flags, path) && (final_ = path, true);
    }
    BOOL SetAttributes(HANDLE entry, DWORD attributes) override {
        return final_.find(L"\\" + name_ + L"\\") != std::wstring::npos &&
               TFileSystem::SetAttributes(entry, attributes);
    }

  private:
    std::wstring name_, final_;
};

TEST_F(System32Test, WalkFromTheirParentReachesBoth) {
    OnlyTheTwins fileSystem(name);
    form->SetFileSystem(fileSystem);
    Walk(windowsFolder);
    EXPECT_EQ(FinalText(), Completed(6));
    EXPECT_EQ(ReadOnlyLeft("system32") + ReadOnlyLeft("syswow64"), 0);
}

} // namespace
