// Shell items over scripted fake folders (references and allocations must
// balance in every test), then against Wine's real shell on real files.
#include "folder_tree/ShellItems.h"
#include "folder_tree/TreeItemData.h"
#include "gui/TreeView.h"
#include "tests/support/FakeShell.h"
#include "tests/support/TempTree.h"
#include "tests/support/WideFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using Microsoft::WRL::ComPtr;

namespace {

class ShellItems : public ::testing::Test {
  protected:
    void SetUp() override {
        SetShellMallocForTesting(&malloc_);
        SetDesktopFolderForTesting(&desktop_);
    }
    void TearDown() override {
        SetShellMallocForTesting(nullptr);
        SetDesktopFolderForTesting(nullptr);
        EXPECT_EQ(malloc_.LiveBlocks(), 0) << "a list was not freed";
        EXPECT_EQ(malloc_.References(), 0);
        for (FakeShellFolder* f : {&desktop_, &folder_, &a_, &b_, &c_})
            EXPECT_EQ(f->References(), 0) << "folder #" << (f - &desktop_);
    }

    CountingMalloc malloc_;
    FakeShellFolder desktop_, folder_, a_, b_, c_;
    const std::string item_ = BuildItemIDList({"item"});
};

// ---- GetItemDisplayName ----

TEST_F(ShellItems, WideNameBecomesCp932AndIsFreed) {
    TaskAllocatorSpy spy;
    ASSERT_TRUE(spy.Registered());
    folder_.displayNames.push_back(DisplayNameReply::Wide(L"日本語の表示"));
    std::string name;
    ASSERT_TRUE(GetItemDisplayName(&folder_, AsItemIDList(item_), SHGDN_NORMAL, name));
    EXPECT_EQ(name, "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\x5C\x8E\xA6");
    ASSERT_EQ(folder_.wideNamesHandedOut.size(), 1u);
    EXPECT_TRUE(spy.WasFreed(folder_.wideNamesHandedOut[0]));
    EXPECT_EQ(folder_.displayNameFlags, std::vector<SHGDNF>{SHGDN_NORMAL});
}

TEST_F(ShellItems, OffsetNameIsReadFromTheItem) {
    std::string item = BuildItemIDList({std::string("\001\002Docs\000\177", 8)});
    folder_.displayNames.push_back(DisplayNameReply::Offset(4)); // after cb and 2 payload bytes
    std::string name;
    ASSERT_TRUE(GetItemDisplayName(&folder_, AsItemIDList(item), SHGDN_INFOLDER, name));
    EXPECT_EQ(name, "Docs");
}

TEST_F(ShellItems, CStrNameStopsAtZeroOrAfter260) {
    std::string name;
    folder_.displayNames.push_back(DisplayNameReply::Text("Program Files"));
    ASSERT_TRUE(GetItemDisplayName(&folder_, AsItemIDList(item_), SHGDN_NORMAL, name));
    EXPECT_EQ(name, "Program Files");

    folder_.displayNames.push_back(DisplayNameReply::Text(std::string(260, 'k')));
    ASSERT_TRUE(GetItemDisplayName(&folder_, AsItemIDList(item_), SHGDN_NORMAL, name));
    EXPECT_EQ(name, std::string(260, 'k'));
}

TEST_F(ShellItems, NoNameUnlessExactlySOkAndAKnownKind) {
    DisplayNameReply unknown = DisplayNameReply::Text("ignored");
    unknown.kind = 0x55;
    folder_.displayNames = {unknown, DisplayNameReply::Status(S_FALSE),
                            DisplayNameReply::Status(E_FAIL)};
    for (const char* what : {"unknown kind", "S_FALSE", "E_FAIL"}) {
        std::string name = "before";
        EXPECT_FALSE(GetItemDisplayName(&folder_, AsItemIDList(item_), SHGDN_NORMAL, name)) << what;
        EXPECT_EQ(name, "before") << what;
    }
}

TEST_F(ShellItems, ParsingNameAsksForParsingAndIsEmptyOnFailure) {
    folder_.displayNames = {DisplayNameReply::Text("C:\\x"), DisplayNameReply::Status(E_FAIL)};
    EXPECT_EQ(GetItemParsingName(&folder_, AsItemIDList(item_)), "C:\\x");
    EXPECT_EQ(GetItemParsingName(&folder_, AsItemIDList(item_)), "");
    EXPECT_EQ(folder_.displayNameFlags, (std::vector<SHGDNF>{SHGDN_FORPARSING, SHGDN_FORPARSING}));
}

// ---- Parsing through the desktop ----

TEST_F(ShellItems, PathIsParsedByTheDesktopAsWideText) {
    desktop_.parseResult = S_OK;
    desktop_.parseList = BuildItemIDList({"drive", "dir"});
    UniqueItemIDList list = PathToItemIDList("Z:\\日本\\表");
    ASSERT_TRUE(list);
    EXPECT_EQ(ItemIDListBytes(list.get()), desktop_.parseList);
    ASSERT_EQ(desktop_.parsedNames.size(), 1u);
    EXPECT_EQ(desktop_.parsedNames[0], L"Z:\\日本\\表");
    list.reset();
    EXPECT_EQ(malloc_.Frees(), 1) << "the parsed list is freed through the shell allocator";

    desktop_.parseResult = E_FAIL;
    EXPECT_FALSE(PathToItemIDList("Z:\\nowhere"));
    EXPECT_FALSE(IsShellPath("Z:\\nowhere"));
}

TEST_F(ShellItems, AbsoluteListParsesTheParsingName) {
    desktop_.parseResult = S_OK;
    desktop_.parseList = BuildItemIDList({"abs"});
    folder_.displayNames = {DisplayNameReply::Text("C:\\x"), DisplayNameReply::Status(S_FALSE)};
    UniqueItemIDList list = DesktopParsedItemIDList(&folder_, AsItemIDList(item_));
    ASSERT_TRUE(list);
    EXPECT_EQ(ItemIDListBytes(list.get()), desktop_.parseList);
    EXPECT_EQ(desktop_.parsedNames, std::vector<std::wstring>{L"C:\\x"});
    EXPECT_FALSE(DesktopParsedItemIDList(&folder_, AsItemIDList(item_)));
    EXPECT_EQ(desktop_.parsedNames.size(), 1u) << "nothing parsed without a name";
    EXPECT_EQ(folder_.displayNameFlags, (std::vector<SHGDNF>{SHGDN_FORPARSING, SHGDN_FORPARSING}));
}

TEST_F(ShellItems, ParsableItemFreesThroughTheGivenAllocator) {
    CountingMalloc given;
    desktop_.parseResult = S_OK;
    desktop_.parseList = BuildItemIDList({"abs"});
    folder_.displayNames = {DisplayNameReply::Text("C:\\x"), DisplayNameReply::Status(E_FAIL)};
    EXPECT_TRUE(IsParsableItem(&given, &folder_, AsItemIDList(item_)));
    EXPECT_EQ(given.Frees(), 1);
    EXPECT_EQ(malloc_.Frees(), 0);
    EXPECT_FALSE(IsParsableItem(&given, &folder_, AsItemIDList(item_)));
    EXPECT_EQ(given.Frees(), 1);
    EXPECT_EQ(given.References(), 0);
}

// Names for parsing are exact or not given, and the desktop parses them as
// the shell gave them; a name that fills the shell's MAX_PATH buffer may
// have been cut short and is neither handed out nor parsed.
TEST_F(ShellItems, ParsingNamesAreExactOrNoneAndParsedAsGiven) {
    desktop_.parseResult = S_OK;
    desktop_.parseList = BuildItemIDList({"abs"});
    const std::wstring cut = L"Z:\\" + std::wstring(MAX_PATH - 4, L'k');
    const std::wstring inexact[] = {L"Z:\\caf\u00E9", L"Z:\\a\u00A5b", L"Z:\\\U0001F600", cut};
    for (const std::wstring& wide : inexact) {
        folder_.displayNames = {DisplayNameReply::Wide(wide), DisplayNameReply::Wide(wide)};
        std::string name = "before";
        EXPECT_FALSE(GetItemDisplayName(&folder_, AsItemIDList(item_), SHGDN_FORPARSING, name))
            << wide.size();
        EXPECT_EQ(name, "before");
        EXPECT_EQ(DesktopParsedItemIDList(&folder_, AsItemIDList(item_)) != nullptr, wide != cut);
    }
    EXPECT_EQ(desktop_.parsedNames,
              (std::vector<std::wstring>{inexact[0], inexact[1], inexact[2]}));

    folder_.displayNames = {DisplayNameReply::Wide(L"Z:\\\u65E5\u672C\\\u8868")};
    std::string name;
    ASSERT_TRUE(GetItemDisplayName(&folder_, AsItemIDList(item_), SHGDN_FORPARSING, name));
    EXPECT_EQ(name, "Z:\\\x93\xFA\x96\x7B\\\x95\x5C") << "exact in the code page";
}

// ---- GetParentFolder ----

TEST_F(ShellItems, ParentFolderNeedsTwoEntries) {
    ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    std::string one = BuildItemIDList({"A"});
    EXPECT_FALSE(GetParentFolder(nullptr, folder, item));
    EXPECT_FALSE(GetParentFolder(AsItemIDList(one), folder, item));
    EXPECT_FALSE(GetParentFolder(AsItemIDList(BuildItemIDList({})), folder, item));
    EXPECT_FALSE(folder);
    EXPECT_FALSE(item);
    EXPECT_TRUE(desktop_.boundIds.empty());
}

TEST_F(ShellItems, ParentFolderOfTwoEntriesIsBoundFromTheFirst) {
    desktop_.bindTarget = &a_;
    ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    ASSERT_TRUE(GetParentFolder(AsItemIDList(BuildItemIDList({"A", "B"})), folder, item));
    EXPECT_EQ(folder.Get(), &a_);
    EXPECT_EQ(ItemIDListBytes(item.get()), BuildItemIDList({"B"}));
    EXPECT_EQ(desktop_.boundIds, std::vector<std::string>{BuildItemIDList({"A"})});
    EXPECT_TRUE(a_.boundIds.empty());
}

TEST_F(ShellItems, ParentFolderWalksEachEntryInTurn) {
    desktop_.bindTarget = &a_;
    a_.bindTarget = &b_;
    ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    ASSERT_TRUE(GetParentFolder(AsItemIDList(BuildItemIDList({"A", "B", "C"})), folder, item));
    EXPECT_EQ(folder.Get(), &b_);
    EXPECT_EQ(ItemIDListBytes(item.get()), BuildItemIDList({"C"}));
    EXPECT_EQ(a_.boundIds, std::vector<std::string>{BuildItemIDList({"B"})});
    EXPECT_TRUE(b_.boundIds.empty());
}

TEST_F(ShellItems, ParentFolderLeavesOutValuesWhenABindFails) {
    desktop_.bindTarget = &a_;
    a_.bindResult = E_FAIL;
    ComPtr<IShellFolder> folder = &c_;
    std::string before = BuildItemIDList({"Z"});
    UniqueItemIDList item = CopyItemID(AsItemIDList(before));
    EXPECT_FALSE(GetParentFolder(AsItemIDList(BuildItemIDList({"A", "B", "C"})), folder, item));
    EXPECT_EQ(folder.Get(), &c_);
    EXPECT_EQ(ItemIDListBytes(item.get()), before);
    EXPECT_EQ(a_.boundIds.size(), 1u);

    desktop_.bindResult = E_NOINTERFACE; // the first bind
    EXPECT_FALSE(GetParentFolder(AsItemIDList(BuildItemIDList({"A", "B"})), folder, item));
    EXPECT_EQ(folder.Get(), &c_);
    EXPECT_EQ(ItemIDListBytes(item.get()), before);
}

TEST_F(ShellItems, ParentFolderWithoutTheFinalCopySetsOnlyTheFolder) {
    desktop_.bindTarget = &a_;
    malloc_.allocationsAllowed = 1; // the copy to bind with, not the last one
    ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    EXPECT_FALSE(GetParentFolder(AsItemIDList(BuildItemIDList({"A", "B"})), folder, item));
    EXPECT_EQ(folder.Get(), &a_);
    EXPECT_FALSE(item);
}

// ---- Walking a list down, enumerating a folder ----

// Each level a walk is asked about, as its folder and the entry's copy.
using Levels = std::vector<std::pair<IShellFolder*, std::string>>;

TEST_F(ShellItems, WalkEndsAtTheLastEntryOrWhereACopyABindOrTheFilterStops) {
    desktop_.bindTarget = &a_;
    a_.bindTarget = &b_;
    b_.bindTarget = &c_;
    const std::string abc = BuildItemIDList({"A", "B", "C"}), a = BuildItemIDList({"A"}),
                      b = BuildItemIDList({"B"}), c = BuildItemIDList({"C"});
    Levels seen;
    auto walk = [&](const std::string& list, std::size_t enterAtMost) {
        seen.clear();
        for (FakeShellFolder* f : {&desktop_, &a_, &b_})
            f->boundIds.clear();
        return WalkShellLevels(&desktop_, AsItemIDList(list), [&](const ShellLevel& level) {
            seen.emplace_back(level.folder.Get(), ItemIDListBytes(level.item.get()));
            return seen.size() <= enterAtMost;
        });
    };
    auto expectEnd = [](const ShellLevel& end, IShellFolder* folder, const std::string& item,
                        bool bound, const char* what) {
        EXPECT_EQ(end.folder.Get(), folder) << what;
        EXPECT_EQ(ItemIDListBytes(end.item.get()), item) << what;
        EXPECT_EQ(end.bound, bound) << what;
    };

    ShellLevel end = walk(abc, 3);
    EXPECT_EQ(seen, (Levels{{&desktop_, a}, {&a_, b}, {&b_, c}}));
    expectEnd(end, &b_, c, true, "every entry entered");
    EXPECT_EQ(end.entry, StepItemID(StepItemID(AsItemIDList(abc))));
    EXPECT_EQ(b_.boundIds, std::vector<std::string>{c}) << "the last entry bound too";

    end = walk(abc, 1);
    expectEnd(end, &a_, b, false, "kept out of B");
    EXPECT_TRUE(a_.boundIds.empty());

    a_.bindResult = E_FAIL;
    end = walk(abc, 3);
    EXPECT_EQ(seen, (Levels{{&desktop_, a}, {&a_, b}}));
    expectEnd(end, &a_, b, false, "B does not bind");
    a_.bindResult = S_OK;

    malloc_.allocationsAllowed = 1;
    end = walk(abc, 3);
    EXPECT_EQ(seen, (Levels{{&desktop_, a}})) << "no level without its copy";
    expectEnd(end, &a_, "", false, "no copy of B");
    malloc_.allocationsAllowed = -1;

    end = walk(a, 3);
    expectEnd(end, &desktop_, a, true, "one entry");
    const std::string empty = BuildItemIDList({});
    end = walk(empty, 3);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(desktop_.boundIds.empty());
    expectEnd(end, &desktop_, "", false, "the desktop's empty list");
    EXPECT_EQ(end.entry, AsItemIDList(empty));
}

TEST_F(ShellItems, EnumerationFailsOnlyWhenTheBindFails) {
    int visits = 0;
    auto visit = [&](IShellFolder*, LPCITEMIDLIST, ULONG) { return ++visits > 0; };
    folder_.bindTarget = &a_; // a fake folder enumerates nothing: EnumObjects fails
    EXPECT_TRUE(EnumerateFolder(&folder_, AsItemIDList(item_), nullptr, SHCONTF_FOLDERS,
                                ItemAttributeMask, visit));
    folder_.bindResult = E_FAIL;
    EXPECT_FALSE(EnumerateFolder(&folder_, AsItemIDList(item_), nullptr, SHCONTF_FOLDERS,
                                 ItemAttributeMask, visit));
    EXPECT_EQ(visits, 0);
    EXPECT_EQ(folder_.boundIds, (std::vector<std::string>{item_, item_}));
}

// ---- Identity, attributes and sorting ----

TEST_F(ShellItems, SameItemNeedsSuccessAndZeroLowBits) {
    std::string other = BuildItemIDList({"other"});
    const std::pair<HRESULT, bool> cases[] = {{S_OK, true},
                                              {HRESULT(1), false},
                                              {HRESULT(0xFFFF), false},
                                              {HRESULT(0x80040000), false},
                                              {E_FAIL, false}};
    for (auto [hr, same] : cases) {
        folder_.compareResult = hr;
        EXPECT_EQ(IsSameItem(&folder_, AsItemIDList(item_), AsItemIDList(other)), same)
            << std::hex << hr;
    }
    ASSERT_FALSE(folder_.comparedIds.empty());
    EXPECT_EQ(folder_.comparedIds[0], std::make_pair(item_, other));
    EXPECT_EQ(folder_.compareParams[0], 0);
}

TEST_F(ShellItems, CanRenameReadsTheWordWhateverTheStatus) {
    const std::tuple<HRESULT, SFGAOF, bool> cases[] = {{E_FAIL, SFGAO_CANRENAME, true},
                                                       {S_OK, 0, false},
                                                       {S_OK, SFGAO_CANRENAME | SFGAO_FOLDER, true},
                                                       {S_OK, SFGAO_CANDELETE, false}};
    for (auto [hr, word, can] : cases) {
        folder_.attributesResult = hr;
        folder_.attributesOut = word;
        EXPECT_EQ(CanRenameItem(&folder_, AsItemIDList(item_)), can) << std::hex << word;
    }
    EXPECT_EQ(folder_.attributesIn[0], SFGAOF(SFGAO_CANRENAME));
}

// A tree node over a record in folder_, as the tree keeps them.
struct Node {
    Node(FakeShellFolder* folder, const std::string& id, ULONG attributes)
        : node(nullptr, L"node", OwnNodeData(std::make_unique<TTVITEMDATA>())) {
        NodeData(&node)->ParentFolder = folder;
        NodeData(&node)->RelativeID = CopyItemID(AsItemIDList(id));
        NodeData(&node)->Attributes = attributes;
    }
    LPARAM Param() { return reinterpret_cast<LPARAM>(&node); }
    TTreeNode node;
};

TEST_F(ShellItems, CompareByShellSignExtendsTheCode) {
    Node n1(&folder_, BuildItemIDList({"one"}), 0), n2(&folder_, BuildItemIDList({"two"}), 0);
    const std::pair<HRESULT, int> cases[] = {
        {HRESULT(0xFFFF), -1},     {HRESULT(0x0001), 1}, {S_OK, 0},
        {HRESULT(0x8000), -32768}, {E_FAIL, 0},          {HRESULT(0x8004FFFF), 0}};
    for (auto [hr, order] : cases) {
        folder_.compareResult = hr;
        EXPECT_EQ(CompareByShell(n1.Param(), n2.Param(), 0), order) << std::hex << hr;
    }
    EXPECT_EQ(folder_.comparedIds[0],
              std::make_pair(BuildItemIDList({"one"}), BuildItemIDList({"two"})));
    EXPECT_EQ(folder_.compareParams[0], 0);
}

TEST_F(ShellItems, CompareFilesFirstPutsFilesAboveFolders) {
    Node file(&folder_, BuildItemIDList({"f"}), SFGAO_FILESYSTEM | SFGAO_STREAM);
    Node dir(&folder_, BuildItemIDList({"d"}), SFGAO_FOLDER | SFGAO_FILESYSTEM);
    Node dir2(&folder_, BuildItemIDList({"e"}), SFGAO_FOLDER);
    Node file2(&folder_, BuildItemIDList({"g"}), 0);
    folder_.compareResult = HRESULT(0xFFFF);
    EXPECT_EQ(CompareFilesFirst(file.Param(), dir.Param(), 0), -1);
    EXPECT_EQ(CompareFilesFirst(dir.Param(), file.Param(), 0), 1);
    EXPECT_TRUE(folder_.comparedIds.empty()) << "kinds differ: the shell is not asked";
    EXPECT_EQ(CompareFilesFirst(dir.Param(), dir2.Param(), 0), -1);
    EXPECT_EQ(CompareFilesFirst(file.Param(), file2.Param(), 0), -1);
    folder_.compareResult = HRESULT(1);
    EXPECT_EQ(CompareFilesFirst(dir2.Param(), dir.Param(), 0), 1);
    EXPECT_EQ(folder_.comparedIds.size(), 3u);
}

// ---- Wine's real shell on real files ----

class ShellItemsOnWine : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    // The first entry of the folder at `path`, as the folder enumerates it.
    static UniqueItemIDList FirstChild(const std::string& path, ComPtr<IShellFolder>& folder) {
        UniqueItemIDList list = PathToItemIDList(path);
        ComPtr<IEnumIDList> items;
        LPITEMIDLIST child = nullptr;
        if (!list ||
            FAILED(DesktopFolder()->BindToObject(list.get(), nullptr, IID_PPV_ARGS(&folder))) ||
            folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) != S_OK ||
            items->Next(1, &child, nullptr) != S_OK)
            return nullptr;
        return UniqueItemIDList(child);
    }

    TempTree tree_;
};

TEST_F(ShellItemsOnWine, PathRoundTripsThroughAList) {
    std::string dir = tree_.Dir("日本語のフォルダ");
    UniqueItemIDList list = PathToItemIDList(dir);
    ASSERT_TRUE(list);
    EXPECT_GE(CountItemIDs(list.get()), 2);
    EXPECT_EQ(ItemIDListToPath(list.get()), dir);
    EXPECT_EQ(GetFileInfoDisplayName(list.get()), L"日本語のフォルダ");
    EXPECT_TRUE(IsShellPath(dir));
    EXPECT_FALSE(IsShellPath(tree_.Path("missing")));
    EXPECT_FALSE(PathToItemIDList(tree_.Path("missing\\deeper")));
}

TEST_F(ShellItemsOnWine, IconIndicesAreWritten) {
    UniqueItemIDList list = PathToItemIDList(tree_.Dir("sub"));
    ASSERT_TRUE(list);
    int normal = -1, open = -1;
    GetItemIconIndices(list.get(), normal, open);
    EXPECT_GE(normal, 0);
    EXPECT_GE(open, 0);
}

TEST_F(ShellItemsOnWine, EnumeratedItemGivesItsAbsoluteList) {
    tree_.Dir("sub");
    std::string file = tree_.File("sub\\item.txt");
    ComPtr<IShellFolder> folder;
    UniqueItemIDList child = FirstChild(tree_.Path("sub"), folder);
    ASSERT_TRUE(child);
    EXPECT_EQ(GetItemParsingName(folder.Get(), child.get()), file);
    UniqueItemIDList absolute = DesktopParsedItemIDList(folder.Get(), child.get());
    ASSERT_TRUE(absolute);
    EXPECT_EQ(ItemIDListToPath(absolute.get()), file);
    EXPECT_TRUE(IsParsableItem(ShellMalloc().Get(), folder.Get(), child.get()));
    EXPECT_TRUE(IsSameItem(folder.Get(), child.get(), child.get()));
}

TEST_F(ShellItemsOnWine, ParentFolderHoldsTheLastEntry) {
    std::string dir = tree_.Dir("sub");
    UniqueItemIDList list = PathToItemIDList(dir);
    ASSERT_TRUE(list);
    ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    ASSERT_TRUE(GetParentFolder(list.get(), folder, item));
    EXPECT_EQ(CountItemIDs(item.get()), 1);
    EXPECT_EQ(GetItemParsingName(folder.Get(), item.get()), dir);
    EXPECT_TRUE(CanRenameItem(folder.Get(), item.get()));
}

// The short route to a listed item's list (its in-folder parsing name parsed
// in its own folder) and the full route (its parsing name through the
// desktop) agree on every kind of name: the same list, and so the same
// decision, for folders, files, hidden items, a name whose last byte in the
// code page is 0x5C, names the code page cannot write and a name ending in a
// dot; and the in-folder name is the full name's last part, so a file mask
// reads the same extension.
TEST_F(ShellItemsOnWine, ShortAndFullRoutesGiveTheSameLists) {
    const std::string dir = tree_.Dir("routes");
    tree_.Dir("routes\\folder");
    tree_.Dir("routes\\ソ");
    tree_.File("routes\\file.txt");
    tree_.File("routes\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    const std::wstring wideDir = L"\\\\?\\" + Wide(dir) + L"\\";
    for (const wchar_t* name : {L"café", L"한"})
        ASSERT_TRUE(CreateDirectoryW((wideDir + name).c_str(), nullptr));
    for (const wchar_t* name : {L"😀.txt", L"dot."}) {
        HANDLE h = CreateFileW((wideDir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                               nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    UniqueItemIDList folderList = PathToItemIDList(dir);
    ASSERT_TRUE(folderList);

    int listed = 0, shortRoutes = 0;
    std::vector<std::wstring> neither;
    const SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    ASSERT_TRUE(EnumerateFolder(
        DesktopFolder().Get(), folderList.get(), nullptr, flags, SFGAO_FOLDER,
        [&](IShellFolder* folder, LPCITEMIDLIST item, ULONG) {
            ++listed;
            const std::wstring full = GetItemParsingNameW(folder, item);
            std::wstring inFolder;
            UniqueItemIDList shortList =
                InFolderParsedItemIDList(folder, item, folderList.get(), inFolder);
            UniqueItemIDList fullList = DesktopParsedItemIDList(folder, item);
            const std::string shown(full.begin(), full.end()); // for messages only
            EXPECT_EQ(bool(shortList), bool(fullList)) << shown;
            if (!shortList && !fullList) neither.push_back(full.substr(full.rfind(L'\\') + 1));
            if (shortList && fullList) {
                ++shortRoutes;
                EXPECT_TRUE(IsSameItem(DesktopFolder().Get(), shortList.get(), fullList.get()))
                    << shown;
                EXPECT_EQ(full.substr(full.size() - std::min(full.size(), inFolder.size())),
                          inFolder)
                    << shown;
            }
            return true;
        }));
    EXPECT_EQ(listed, 8);
    EXPECT_EQ(shortRoutes, 7) << "every other one takes the short route";
    // Both routes lose the trailing dot as Win32 names do, and find nothing.
    EXPECT_EQ(neither, std::vector<std::wstring>{L"dot."});
}

} // namespace
