// Drag and drop between the real Kelvane.exe and another program, done as a
// person does it with the X server's mouse and keyboard. The other program
// (drag_peer.exe) logs what reaches it: a folder node dragged out of the
// tree arrives as exactly its path, or not at all when Escape is pressed
// first; a file dragged in lights the folder node it rests on, opens it,
// scrolls the tree at its bottom edge, and is never lost.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/remote/remote.h"
#include "tests/support/EndToEnd.h"
#include "tests/support/KelvaneTree.h"
#include "tests/support/Person.h"
#include "tests/support/TempTree.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WinePaths.h"

#ifndef DRAG_PEER_EXE
#error "DRAG_PEER_EXE must name drag_peer.exe (set by tests/CMakeLists.txt)"
#endif

namespace {

using e2e::waitUntil;
using Lines = std::vector<std::string>;

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// drag_peer.exe in one of its modes, its window placed beside the tree and
// kept above every other window, so that the pointer finds it. It is started
// from a Unix shell with no output of ours: under Wine a program shares its
// starter's standard error, and after a cancelled drag over it the Unix side
// of this one sometimes lingers after the program ended, which would keep a
// test runner waiting for our output to close.
class Peer {
  public:
    Peer(const std::string& arguments, const std::string& log, HWND tree) : log_(log) {
        // KELVANE_WINE: the loader to use where the system's `wine` cannot.
        if (RunUnixShell("\"${KELVANE_WINE:-wine}\" " + ShellQuote(DRAG_PEER_EXE) + " " +
                         arguments + " </dev/null >/dev/null 2>&1 &") != 0)
            return;
        waitUntil([&] { return (window_ = FindWindowA(kClass, nullptr)) != nullptr; },
                  e2e::kStartTimeoutMs);
        if (!window_) return;
        DWORD id = 0;
        GetWindowThreadProcessId(window_, &id);
        process_.reset(OpenProcess(SYNCHRONIZE, FALSE, id));
        const RECT t = remote::windowRect(tree);
        const int size = 120;
        const int x = t.right + 40 + size <= GetSystemMetrics(SM_CXSCREEN) ? t.right + 40
                                                                           : t.left - 40 - size;
        SetWindowPos(window_, HWND_TOPMOST, x, t.top + 40, size, size, SWP_NOACTIVATE);
        waitUntil([&] { return remote::windowRect(window_).left == x; });
    }
    ~Peer() {
        if (!window_) return;
        PostMessageA(window_, WM_CLOSE, 0, 0);
        if (process_) WaitForSingleObject(process_.get(), e2e::kExitTimeoutMs);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    HWND window() const { return window_; }
    POINT middle() const { return remote::centre(remote::windowRect(window_)); }

    // The lines logged so far.
    Lines log() const {
        Lines lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    bool waitForLine(const std::string& prefix) const {
        return waitUntil([&] {
            const Lines lines = log();
            return std::any_of(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
        });
    }

  private:
    static constexpr char kClass[] = "KelvaneDragPeer";
    std::string log_;
    remote::UniqueHandle process_;
    HWND window_ = nullptr;
};

// C:\kelvane-drag-PID, shown open in Kelvane.exe's tree: "carried" to drag
// out, the collapsed "target" (holding "inner") to drop on, siblings enough
// to overflow the tree, and "given.txt" to drag in.
class KelvaneDrag : public ::testing::Test {
  protected:
    void SetUp() override {
        name_ = "kelvane-drag-" + std::to_string(GetCurrentProcessId());
        folder_ = "C:\\" + name_;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        for (const char* d : {"carried", "target", "target\\inner"})
            ASSERT_TRUE(CreateDirectoryA(at(d).c_str(), nullptr));
        for (int i = 10; i < 50; ++i) {
            std::string sibling = at("w");
            sibling += std::to_string(i);
            ASSERT_TRUE(CreateDirectoryA(sibling.c_str(), nullptr));
        }
        std::ofstream(at("given.txt")) << "given";

        std::string error;
        main_ = e2e::startKelvane(process_, error);
        ASSERT_NE(main_, nullptr) << error;
        const auto trees = remote::findChildren(main_, e2e::kTreeClass);
        ASSERT_EQ(trees.size(), 1u);
        tree_.emplace(trees[0], person_);
        ASSERT_NE(tree_->openFolderOfC(name_, error), nullptr) << error;
    }

    void TearDown() override {
        person_.release(); // a test that stopped halfway leaves no button down
        if (process_ && process_->running() && main_) {
            PostMessageA(main_, WM_CLOSE, 0, 0);
            process_->waitForExit(e2e::kExitTimeoutMs);
        }
        tree_.reset();
        process_.reset();
        RunUnixShell("rm -rf " + ShellQuote(UnixPath(folder_)));
    }

    std::string at(const std::string& relative) const { return folder_ + "\\" + relative; }
    e2e::KelvaneTree& tree() { return *tree_; }
    const remote::RemoteTree& view() const { return tree_->view(); }

    // The node of the test's folder's child `text`, looked up afresh: a
    // refresh makes new nodes, and one under way may delete a node between
    // two readings, which then count as not found.
    HTREEITEM node(const std::string& text) const {
        try {
            const HTREEITEM drive = tree_->drive(view().root(), "C:");
            const HTREEITEM folder = drive ? tree_->child(drive, name_) : nullptr;
            return folder ? tree_->child(folder, text) : nullptr;
        } catch (const remote::Error&) {
        }
        return nullptr;
    }

    std::string name_, folder_;
    TempTree tmp_;
    e2e::Person person_;
    std::optional<remote::Process> process_;
    HWND main_ = nullptr;
    std::optional<e2e::KelvaneTree> tree_;
};

} // namespace

TEST_F(KelvaneDrag, AFolderNodeDraggedOutArrivesAsExactlyItsPath) {
    const std::string log = tmp_.Path("take.log");
    Peer taker("take " + ShellQuote(log), log, tree().window());
    ASSERT_NE(taker.window(), nullptr) << "no window of drag_peer.exe";
    const auto from = tree().pointOnText(node("carried"));
    ASSERT_TRUE(from);

    // A folder made during the drag shows once the tree refreshes after
    // the drop into another program.
    ASSERT_TRUE(person_.moveTo(*from) && person_.press());
    ASSERT_TRUE(person_.glide(*from, taker.middle()));
    ASSERT_TRUE(CreateDirectoryA(at("fresh").c_str(), nullptr));
    ASSERT_EQ(node("fresh"), nullptr);
    ASSERT_TRUE(person_.release());
    ASSERT_TRUE(taker.waitForLine("path ")) << "nothing dropped";
    EXPECT_TRUE(waitUntil([&] { return node("fresh") != nullptr; })) << "the tree never refreshed";
    EXPECT_EQ(taker.log(), (Lines{"enter", "drop 1", "path " + at("carried")}));
    EXPECT_TRUE(exists(at("carried")));
    EXPECT_TRUE(process_->running());
    EXPECT_TRUE(waitUntil([&] { return node("carried") != nullptr; }));
}

TEST_F(KelvaneDrag, EscapeOverAnotherProgramDropsNothing) {
    const std::string log = tmp_.Path("take.log");
    Peer taker("take " + ShellQuote(log), log, tree().window());
    ASSERT_NE(taker.window(), nullptr) << "no window of drag_peer.exe";
    const auto from = tree().pointOnText(node("carried"));
    ASSERT_TRUE(from);

    ASSERT_TRUE(person_.moveTo(*from) && person_.press());
    ASSERT_TRUE(person_.glide(*from, taker.middle()));
    ASSERT_TRUE(taker.waitForLine("enter")) << "the drag never reached the other program";
    // The tree refreshes once its drag has ended over another program: a
    // folder made meanwhile shows then.
    ASSERT_TRUE(CreateDirectoryA(at("fresh").c_str(), nullptr));
    ASSERT_EQ(node("fresh"), nullptr);
    ASSERT_TRUE(person_.key("Escape"));
    EXPECT_TRUE(taker.waitForLine("leave")) << "Escape did not end the drag";
    ASSERT_TRUE(person_.release());
    EXPECT_TRUE(waitUntil([&] { return node("fresh") != nullptr; })) << "the drag never ended";
    EXPECT_EQ(taker.log(), (Lines{"enter", "leave"}));
    EXPECT_TRUE(exists(at("carried")));
    EXPECT_TRUE(process_->running());
}

TEST_F(KelvaneDrag, AFileDraggedInLightsOpensAndScrollsTheTreeAndIsNeverLost) {
    const std::string log = tmp_.Path("give.log");
    Peer giver("give " + ShellQuote(log) + " " + ShellQuote(at("given.txt")), log, tree().window());
    ASSERT_NE(giver.window(), nullptr) << "no window of drag_peer.exe";
    const HTREEITEM target = node("target");
    ASSERT_NE(target, nullptr);
    ASSERT_FALSE(tree().expanded(target));
    const auto onTarget = tree().pointOnText(target);
    ASSERT_TRUE(onTarget);

    // Resting on the collapsed node: it is lit as the drop target, then opened.
    ASSERT_TRUE(person_.moveTo(giver.middle()) && person_.press());
    ASSERT_TRUE(person_.glide(giver.middle(), *onTarget));
    EXPECT_TRUE(waitUntil([&] { return view().item(target).state & TVIS_DROPHILITED; }))
        << "not lit";
    EXPECT_EQ(view().nextItem(nullptr, TVGN_DROPHILITE), target);
    EXPECT_TRUE(tree().waitForChildren(target)) << "did not open after resting on it";
    EXPECT_NE(tree().child(target, "inner"), nullptr);
    ASSERT_TRUE(person_.release());
    ASSERT_TRUE(giver.waitForLine("result ")) << "the drag never ended";
    // Wine's item menus have no paste: its DoDragDrop hands back the
    // target's failure, and the file stays where it was.
    EXPECT_EQ(giver.log(), Lines{"result 0x80004005 effect 0"});
    EXPECT_TRUE(exists(at("given.txt")));
    EXPECT_FALSE(exists(at("target\\given.txt")));
    EXPECT_TRUE(process_->running());

    // Resting on a node at the bottom edge scrolls the tree down; let go
    // back on the other program, which takes nothing.
    const RECT client = remote::clientRect(tree().window());
    const auto last = view().itemRect(view().nextItem(nullptr, TVGN_LASTVISIBLE));
    ASSERT_TRUE(last && last->top >= client.bottom) << "the tree does not overflow";
    const HTREEITEM first = view().nextItem(nullptr, TVGN_FIRSTVISIBLE);
    POINT edge{(client.left + client.right) / 2, client.bottom - 5};
    ClientToScreen(tree().window(), &edge);
    ASSERT_TRUE(person_.moveTo(giver.middle()) && person_.press());
    ASSERT_TRUE(person_.glide(giver.middle(), edge));
    EXPECT_TRUE(waitUntil([&] { return view().nextItem(nullptr, TVGN_FIRSTVISIBLE) != first; }))
        << "resting at the bottom edge did not scroll";
    ASSERT_TRUE(person_.glide(edge, giver.middle()));
    ASSERT_TRUE(person_.release());
    EXPECT_TRUE(waitUntil([&] { return giver.log().size() == 2; })) << "the drag never ended";
    EXPECT_TRUE(exists(at("given.txt")));
    EXPECT_TRUE(process_->running());
}
