// What changed among a node's children: a plain function of the children
// shown (their names for parsing, and the file identities of those whose
// folders are known) and the children listed now, with the renames learnt
// since. Each child goes by the name it should have now, renames first (so
// that names given to each other go with their nodes); a known child goes
// with its folder's identity wherever the listing has it, and one whose
// name holds another folder now is read again.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct TShownChild {
    std::wstring name;
    ULONGLONG fileId = 0; // 0: its folder is not known
};

struct TListedKey {
    std::wstring name;
    bool shown = false;
    ULONGLONG fileId = 0; // 0: not asked, or no folder
};

struct TChildDiff {
    enum Kind { Skip, Keep, Rename, Add };
    struct Entry {
        Kind kind = Skip;
        int child = -1; // the shown child, for Keep and Rename
    };
    std::vector<Entry> listed; // one per listed child
    std::vector<int> gone;     // shown children to delete
    std::vector<int> reread;   // known children whose name holds another folder now
};

using TChildRenames = std::vector<std::pair<std::wstring, std::wstring>>;

// Renames old to new, chains followed: a→b then b→c gives a→c.
std::unordered_map<std::wstring, std::wstring> FinalNames(const TChildRenames& renames);

TChildDiff DiffChildren(const std::vector<TShownChild>& shown,
                        const std::vector<TListedKey>& listed, const TChildRenames& renames);
