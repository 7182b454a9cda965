// Quit and closing the window during a walk take effect when the walk has
// ended. Its own executable: ending the main form ends the process's
// application loop for good.
#include "app/Unit1.h"
#include "app/Unit1Texts.h"
#include "gui/Application.h"

#include <gtest/gtest.h>

namespace {

// Two folders below X:\r, each with one read-only file; a callback runs at
// each folder's listing.
class TwoFolders : public TFileSystem {
  public:
    std::function<void(const std::wstring&)> onFindFirst;
    int scans = 0;

    HANDLE FindFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* data) override {
        ++scans;
        if (onFindFirst) onFindFirst(pattern);
        entries_ = std::wstring(pattern) == L"\\\\?\\X:\\r\\*"
                       ? std::vector<Item>{{L"a", 16}, {L"b", 16}}
                       : std::vector<Item>{{L"f", 1}};
        next_ = 0;
        return FindNextFile(nullptr, data) ? HANDLE(this) : INVALID_HANDLE_VALUE;
    }
    BOOL FindNextFile(HANDLE, WIN32_FIND_DATAW* data) override {
        if (next_ >= entries_.size()) return SetLastError(ERROR_NO_MORE_FILES), FALSE;
        *data = {};
        lstrcpyW(data->cFileName, entries_[next_].name);
        data->dwFileAttributes = entries_[next_++].attributes;
        return TRUE;
    }
    BOOL FindClose(HANDLE) override { return TRUE; }
    HANDLE OpenEntry(const wchar_t* path, DWORD) override {
        opened_ = path;
        return HANDLE(this);
    }
    bool GetFinalPath(HANDLE, DWORD, std::wstring& path) override {
        path = opened_;
        return true;
    }
    BOOL SetAttributes(HANDLE, DWORD) override { return TRUE; }
    BOOL CloseEntry(HANDLE) override { return TRUE; }

  private:
    struct Item {
        const wchar_t* name;
        DWORD attributes;
    };
    std::vector<Item> entries_;
    std::size_t next_ = 0;
    std::wstring opened_;
};

void Pump() {
    Application().ProcessMessages();
}

TEST(QuitDuringWalk, QuitAndCloseWaitForTheWalkToEnd) {
    TWindowed<TMainForm> form(nullptr);
    Application().SetMainForm(&form);
    form.Show();
    TwoFolders fs;
    form.SetFileSystem(fs);
    form.FTV.SetRootFolderName("X:\\r");

    bool quitAsked = false, closeAsked = false;
    fs.onFindFirst = [&](const std::wstring& pattern) {
        if (pattern == L"\\\\?\\X:\\r\\a\\*") {
            form.btnQuitClick(&form.btnQuit);
            quitAsked = true;
            Pump();
            EXPECT_FALSE(Application().Terminated()) << "Quit must not end the program mid-walk";
            SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
            closeAsked = true;
            Pump();
            EXPECT_FALSE(Application().Terminated());
            EXPECT_TRUE(IsWindowVisible(form.Handle()));
        }
    };
    form.btnStartClick(&form.btnStart);

    ASSERT_TRUE(quitAsked && closeAsked);
    EXPECT_EQ(fs.scans, 3) << "the walk was not stopped by Quit";
    EXPECT_EQ(form.StatusBar1.SimpleText(), texts::kCompleted + std::wstring(L"2") + texts::kItems);
    Pump();
    EXPECT_TRUE(Application().Terminated()) << "the deferred Quit ends the program afterwards";
    EXPECT_TRUE(IsWindow(form.Handle()));
}

} // namespace
