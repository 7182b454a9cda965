// The fixture of every folder tree suite: one tree hosted on a form of its
// own, on services of the test's own (the clock moved by hand, boxes
// recorded), over a temporary folder. Make builds it, replacing any earlier
// one; when the test ends the tree goes, and no node record may outlive it.
#pragma once

#include "tests/support/FolderTreeHost.h"
#include "tests/support/TempTree.h"
#include "tests/support/TestTreeServices.h"

#include <gtest/gtest.h>

#include <memory>

class HostedTreeTest : public ::testing::Test {
  protected:
    void TearDown() override {
        host_.reset();
        EXPECT_EQ(TFolderTreeTestAccess::LiveNodeRecords(), 0) << "node records outlived the tree";
    }

    // The tree's window exists when Make returns.
    TFolderTreeViewEx& Make(const TFolderTreeViewExProps& props) {
        host_.reset();
        host_ = std::make_unique<FolderTreeHost>(props, services);
        host_->Create();
        return Tree();
    }
    TFolderTreeViewEx& Tree() { return *host_->tree; }
    TTreeNode* First() { return Tree().Items().GetFirstNode(); }
    FolderTreeHost& Host() { return *host_; }

    TempTree tmp;
    TestTreeServices services;

  private:
    std::unique_ptr<FolderTreeHost> host_;
};
