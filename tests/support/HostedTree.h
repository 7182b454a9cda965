// The fixture of every folder tree suite: one tree hosted on a form of its
// own, on services of the test's own (the clock moved by hand, boxes
// recorded), over a temporary folder. Make builds it, replacing any earlier
// one; when the test ends the tree goes, and no node record may outlive it.
#pragma once

#include "gui/Application.h"
#include "tests/support/FolderTreeHost.h"
#include "tests/support/TempTree.h"
#include "tests/support/TestTreeServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Handles messages, and the completion routines of reads as the program's
// loop does (waiting alertably), until `done` or for at most `limitMs`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 5000) {
    for (const DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT,
                                    MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
        Application().ProcessMessages();
    }
    return true;
}

using PropsChange = std::function<void(TFolderTreeViewExProps&)>;

class HostedTreeTest : public ::testing::Test {
  protected:
    void TearDown() override {
        Destroy();
        EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), 0) << "node records outlived the tree";
        EXPECT_EQ(TFolderTreeTestAccess::LiveWatches(), 0) << "watches outlived the tree";
    }

    // The tree's window exists when Make returns.
    TFolderTreeViewEx& Make(const TFolderTreeViewExProps& props) {
        MakeWithoutWindow(props);
        host_->Create();
        return Tree();
    }
    // Rooted at the temporary folder, the props changed by `change`.
    TFolderTreeViewEx& Make(const PropsChange& change = {}) {
        TFolderTreeViewExProps props = ManualRoot(tmp.Root());
        if (change) change(props);
        return Make(props);
    }
    // The form's window, and so the tree's, is made by Host().Create() or by
    // the first call that needs it.
    TFolderTreeViewEx& MakeWithoutWindow(const TFolderTreeViewExProps& props) {
        Destroy();
        host_ = std::make_unique<FolderTreeHost>(props, services);
        return Tree();
    }
    // The tree and its form go now.
    void Destroy() { host_.reset(); }
    bool Made() const { return host_ != nullptr; }
    TFolderTreeViewEx& Tree() { return *host_->tree; }
    TTreeNode* First() { return Tree().Items().GetFirstNode(); }
    // The node of a path below the root node, found by texts; with `open`,
    // each node on the way is expanded (and so filled) first.
    TTreeNode* Node(const std::string& relative, bool open = false) {
        TTreeNode* n = First();
        for (std::size_t at = 0; n && at <= relative.size();) {
            const std::size_t end = std::min(relative.find('\\', at), relative.size());
            if (open) n->Expand(false);
            n = FindChild(Tree(), n, relative.substr(at, end - at));
            at = end + 1;
        }
        return n;
    }
    FolderTreeHost& Host() { return *host_; }

    // An object of the test's that every tree lets go of before it goes,
    // however the test ends: the fakes a tree is handed.
    template <class T, class... Args> T& Outliving(Args&&... args) {
        auto object = std::make_shared<T>(std::forward<Args>(args)...);
        outliving_.push_back(object);
        return *object;
    }

    TempTree tmp;
    TestTreeServices services;

  private:
    std::vector<std::shared_ptr<void>> outliving_;
    std::unique_ptr<FolderTreeHost> host_;
};
