// Item identifier lists built byte by byte: stepping, measuring, copying and
// joining them through a counting allocator that must balance in every test.
#include "folder_tree/ItemIdList.h"
#include "tests/support/FakeShell.h"

#include <gtest/gtest.h>

namespace {

class ItemIdList : public ::testing::Test {
  protected:
    void SetUp() override { SetShellMallocForTesting(&malloc_); }
    void TearDown() override {
        SetShellMallocForTesting(nullptr);
        EXPECT_EQ(malloc_.LiveBlocks(), 0) << "a list was not freed";
        EXPECT_EQ(malloc_.References(), 0);
    }
    // The bytes of a list these functions returned, and the block's real size.
    std::string Bytes(const UniqueItemIDList& list) { return ItemIDListBytes(list.get()); }
    SIZE_T BlockSize(const UniqueItemIDList& list) { return malloc_.GetSize(list.get()); }

    CountingMalloc malloc_;
    const std::string three_ = BuildItemIDList({"alpha", "be", "gam"});
    const std::string empty_ = BuildItemIDList({});
};

TEST_F(ItemIdList, CountAndSize) {
    EXPECT_EQ(CountItemIDs(nullptr), 0);
    EXPECT_EQ(GetItemIDListSize(nullptr), 0u);
    EXPECT_EQ(CountItemIDs(AsItemIDList(empty_)), 0);
    EXPECT_EQ(GetItemIDListSize(AsItemIDList(empty_)), 2u);
    EXPECT_EQ(CountItemIDs(AsItemIDList(three_)), 3);
    EXPECT_EQ(GetItemIDListSize(AsItemIDList(three_)), 2u + 7 + 4 + 5);
}

TEST_F(ItemIdList, StepAndNext) {
    LPCITEMIDLIST first = AsItemIDList(three_);
    LPCITEMIDLIST second = StepItemID(first);
    LPCITEMIDLIST last = StepItemID(second);
    LPCITEMIDLIST terminator = StepItemID(last);
    EXPECT_EQ(reinterpret_cast<const char*>(second), three_.data() + 7);
    EXPECT_EQ(reinterpret_cast<const char*>(terminator), three_.data() + three_.size() - 2);
    EXPECT_EQ(NextItemID(first), second);
    EXPECT_EQ(NextItemID(second), last);
    EXPECT_EQ(NextItemID(last), nullptr);
    EXPECT_EQ(NextItemID(terminator), nullptr);
    EXPECT_EQ(NextItemID(AsItemIDList(empty_)), nullptr);
}

TEST_F(ItemIdList, AllocIsZeroFilledAndNullWhenRefused) {
    UniqueItemIDList block = AllocItemIDList(6);
    ASSERT_TRUE(block);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.get()), 6), std::string(6, '\0'));
    EXPECT_EQ(malloc_.Allocations(), 1);
    block.reset();
    EXPECT_EQ(malloc_.Frees(), 1) << "freed through the shell allocator";

    malloc_.allocationsAllowed = 0;
    EXPECT_FALSE(AllocItemIDList(6));
}

TEST_F(ItemIdList, ShellMallocIsTheTestOneWhileSet) {
    EXPECT_EQ(ShellMalloc().Get(), &malloc_);
    SetShellMallocForTesting(nullptr);
    Microsoft::WRL::ComPtr<IMalloc> shell = ShellMalloc();
    EXPECT_TRUE(shell);
    EXPECT_NE(shell.Get(), &malloc_);
}

TEST_F(ItemIdList, CopyTakesTheFirstEntryOnly) {
    UniqueItemIDList copy = CopyItemID(AsItemIDList(three_));
    ASSERT_TRUE(copy);
    EXPECT_EQ(Bytes(copy), BuildItemIDList({"alpha"}));
    EXPECT_EQ(BlockSize(copy), 7u + 2);

    UniqueItemIDList empty = CopyItemID(AsItemIDList(empty_));
    ASSERT_TRUE(empty);
    EXPECT_EQ(Bytes(empty), empty_);
    EXPECT_EQ(BlockSize(empty), 2u);

    EXPECT_FALSE(CopyItemID(nullptr));
    malloc_.allocationsAllowed = 0;
    EXPECT_FALSE(CopyItemID(AsItemIDList(three_)));
}

TEST_F(ItemIdList, ConcatJoinsWithOneTerminator) {
    std::string parent = BuildItemIDList({"one", "two"});
    std::string child = BuildItemIDList({"three"});
    UniqueItemIDList joined = ConcatItemIDLists(AsItemIDList(parent), AsItemIDList(child));
    ASSERT_TRUE(joined);
    EXPECT_EQ(Bytes(joined), BuildItemIDList({"one", "two", "three"}));
    EXPECT_EQ(BlockSize(joined), parent.size() - 2 + child.size());
    EXPECT_EQ(CountItemIDs(joined.get()), 3);
}

TEST_F(ItemIdList, ConcatWithoutParentOrChildCopiesTheOther) {
    std::string child = BuildItemIDList({"x", "yz"});
    UniqueItemIDList noParent = ConcatItemIDLists(nullptr, AsItemIDList(child));
    ASSERT_TRUE(noParent);
    EXPECT_EQ(Bytes(noParent), child);
    EXPECT_NE(static_cast<const void*>(noParent.get()), child.data());

    UniqueItemIDList emptyParent = ConcatItemIDLists(AsItemIDList(empty_), AsItemIDList(child));
    ASSERT_TRUE(emptyParent);
    EXPECT_EQ(Bytes(emptyParent), child);
    EXPECT_EQ(BlockSize(emptyParent), child.size());

    UniqueItemIDList noChild = ConcatItemIDLists(AsItemIDList(three_), nullptr);
    ASSERT_TRUE(noChild);
    EXPECT_EQ(Bytes(noChild), three_);
    EXPECT_EQ(BlockSize(noChild), three_.size()) << "with its terminator";

    EXPECT_FALSE(ConcatItemIDLists(nullptr, nullptr));
}

TEST_F(ItemIdList, ConcatIsNullWhenRefused) {
    malloc_.allocationsAllowed = 0;
    EXPECT_FALSE(ConcatItemIDLists(AsItemIDList(three_), AsItemIDList(three_)));
    EXPECT_FALSE(ConcatItemIDLists(nullptr, AsItemIDList(three_)));
    EXPECT_FALSE(ConcatItemIDLists(AsItemIDList(three_), nullptr));
}

} // namespace
