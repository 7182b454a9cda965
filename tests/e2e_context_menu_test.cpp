// The shell's context menu in the real Kelvane.exe, used as a person would:
// a right click on a folder of the tree shows Wine's menu of the folder, its
// delete command (chosen by its accelerator, confirmed in the shell's
// dialog) removes the folder from the disk and its node from the tree, and
// its create-shortcut command, which Wine's shell refuses, brings up the
// tree's message box.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "folder_tree/AboutProperty.h"
#include "tests/remote/remote.h"
#include "tests/support/EndToEnd.h"
#include "tests/support/KelvaneTree.h"
#include "tests/support/Person.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempTree.h"
#include "tests/support/UnixShell.h"
#include "tests/support/WinePaths.h"

#ifndef KELVANE_ARTIFACTS
#error "KELVANE_ARTIFACTS must name the folder for the screenshots (set by tests/CMakeLists.txt)"
#endif

namespace {

using e2e::waitUntil;

constexpr char kMenuClass[] = "#32768";
constexpr char kDialogClass[] = "#32770";

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class KelvaneContextMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        // Near the drive's root, so that few levels lead to it; removed at
        // the end whatever is left of it.
        folder_ = "C:\\kelvane-menu-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        for (const char* d : {"\\doomed", "\\linked"})
            ASSERT_TRUE(CreateDirectoryA((folder_ + d).c_str(), nullptr));
        // The shell's delete moves items to the trash under XDG_DATA_HOME:
        // the program gets one of the test's own.
        dataHome_ = tmp_.Dir("data");
        tmp_.Dir("data\\Trash");
        tmp_.Dir("data\\Trash\\files");
        tmp_.Dir("data\\Trash\\info");
        SetEnvironmentVariableA("XDG_DATA_HOME", UnixPath(dataHome_).c_str());
    }

    void TearDown() override {
        if (process_ && process_->running() && main_) {
            PostMessageA(main_, WM_CLOSE, 0, 0);
            process_->waitForExit(e2e::kExitTimeoutMs);
        }
        tree_.reset();
        process_.reset();
        SetEnvironmentVariableA("XDG_DATA_HOME", nullptr);
        RunUnixShell("rm -rf " + ShellQuote(UnixPath(folder_)));
    }

    const remote::RemoteTree& view() const { return tree_->view(); }
    HTREEITEM child(HTREEITEM parent, const std::string& text) const {
        return tree_->child(parent, text);
    }

    // The program's visible top-level windows of a class.
    std::vector<HWND> windowsOf(const std::string& className) const {
        std::vector<HWND> found;
        for (HWND w : remote::topLevelWindows(process_->id()))
            if (IsWindowVisible(w) && remote::className(w) == className) found.push_back(w);
        return found;
    }

    TempTree tmp_;
    std::string folder_, dataHome_;
    std::optional<remote::Process> process_;
    HWND main_ = nullptr;
    e2e::Person person_;
    std::optional<e2e::KelvaneTree> tree_;
    // Beside the other end-to-end screenshots, a series of their own.
    e2e::Screenshots screens_{KELVANE_ARTIFACTS, "menu-"};
};

} // namespace

TEST_F(KelvaneContextMenu, DeleteAFolderFromItsMenuThenSeeCreateShortcutRefused) {
    std::string error;
    main_ = e2e::startKelvane(process_, error);
    ASSERT_NE(main_, nullptr) << error;
    const auto trees = remote::findChildren(main_, e2e::kTreeClass);
    ASSERT_EQ(trees.size(), 1u);
    tree_.emplace(trees[0], person_);

    // Down to the test's folder: My Computer, the drive, the folder.
    const std::string name = folder_.substr(3);
    const HTREEITEM folder = tree_->openFolderOfC(name, error);
    ASSERT_NE(folder, nullptr) << error;
    ASSERT_NE(child(folder, "doomed"), nullptr);

    // A right click on "doomed" selects it and shows the shell's menu.
    {
        const auto p = tree_->pointOnText(child(folder, "doomed"));
        ASSERT_TRUE(p);
        ASSERT_TRUE(person_.click(*p, 1, 3));
    }
    ASSERT_TRUE(waitUntil([&] { return windowsOf(kMenuClass).size() == 1; })) << "no menu";
    EXPECT_EQ(view().selection(), child(folder, "doomed"));
    screens_.take("doomed-menu");

    // 削除(&D), then the shell's confirmation: its default button is Yes.
    ASSERT_TRUE(person_.key("d"));
    ASSERT_TRUE(waitUntil([&] { return windowsOf(kDialogClass).size() == 1; }))
        << "no confirmation";
    screens_.take("delete-confirmation");
    ASSERT_TRUE(person_.key("Return"));
    EXPECT_TRUE(waitUntil([&] { return !exists(folder_ + "\\doomed"); })) << "still on disk";
    EXPECT_TRUE(waitUntil([&] { return child(folder, "doomed") == nullptr; }))
        << "its node is still in the tree";
    EXPECT_TRUE(exists(dataHome_ + "\\Trash\\files\\doomed")) << "moved to the test's trash";
    EXPECT_NE(child(folder, "linked"), nullptr);

    // ショートカットの作成(&L) on "linked": Wine's shell refuses it.
    {
        const auto p = tree_->pointOnText(child(folder, "linked"));
        ASSERT_TRUE(p);
        ASSERT_TRUE(person_.click(*p, 1, 3));
    }
    ASSERT_TRUE(waitUntil([&] { return windowsOf(kMenuClass).size() == 1; })) << "no menu";
    ASSERT_TRUE(person_.key("l"));
    ASSERT_TRUE(waitUntil([&] { return windowsOf(kDialogClass).size() == 1; })) << "no message box";
    const HWND box = windowsOf(kDialogClass)[0];
    screens_.take("shortcut-refused");
    EXPECT_EQ(remote::windowText(box), kFolderTreeCaption);
    std::vector<std::string> texts;
    for (HWND s : remote::findChildren(box, "Static"))
        texts.push_back(remote::windowText(s));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "InvokeCommand failed!"), texts.end());
    ASSERT_TRUE(person_.key("Return"));
    EXPECT_TRUE(waitUntil([&] { return windowsOf(kDialogClass).empty(); }));
    EXPECT_TRUE(exists(folder_ + "\\linked"));
}

// Landed in a folder with DLLs named like system DLLs that are not known
// DLLs, with Wine told to prefer those DLLs wherever the search finds them,
// as Windows does (the test's runner sets that, since Wine takes it from the
// environment its first process started with): started there, a folder
// opened and a folder's menu shown, the program has loaded none of them.
TEST_F(KelvaneContextMenu, LandedBesideSystemNamedDllsLoadsNoneOfThem) {
    std::vector<std::string> planted;
    std::istringstream names(PLANTED_DLLS);
    for (std::string name; std::getline(names, name, ',');)
        planted.push_back(name);
    const std::string landed = tmp_.Dir("landed"), exe = landed + "\\Kelvane.exe";
    ASSERT_TRUE(CopyFileA(e2e::kelvanePath().c_str(), exe.c_str(), TRUE));
    for (const std::string& name : planted)
        ASSERT_TRUE(CopyFileA(WindowsPath(LOAD_MARK_DLL).c_str(),
                              (landed + "\\" + name + ".dll").c_str(), TRUE));
    std::string error;
    main_ = e2e::startKelvane(process_, error, exe, landed);
    ASSERT_NE(main_, nullptr) << error;
    tree_.emplace(remote::findChildren(main_, e2e::kTreeClass).at(0), person_);
    const HTREEITEM folder = tree_->openFolderOfC(folder_.substr(3), error);
    ASSERT_NE(folder, nullptr) << error;
    const auto p = tree_->pointOnText(child(folder, "linked"));
    ASSERT_TRUE(p);
    ASSERT_TRUE(person_.click(*p, 1, 3));
    ASSERT_TRUE(waitUntil([&] { return windowsOf(kMenuClass).size() == 1; })) << "no menu";
    ASSERT_TRUE(person_.key("Escape"));
    for (const std::string& name : planted)
        EXPECT_FALSE(exists(landed + "\\" + name + ".dll.loaded")) << name << ".dll was loaded";
}
