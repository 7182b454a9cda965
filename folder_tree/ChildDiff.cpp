#include "folder_tree/ChildDiff.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

std::unordered_map<std::wstring, std::wstring> FinalNames(const TChildRenames& renames) {
    std::unordered_map<std::wstring, std::wstring> final;
    for (const auto& [from, to] : renames) {
        for (auto& [first, now] : final)
            if (now == from) now = to;
        final.emplace(from, to);
    }
    return final;
}

TChildDiff DiffChildren(const std::vector<TShownChild>& shown,
                        const std::vector<TListedKey>& listed, const TChildRenames& renames) {
    TChildDiff diff;
    diff.listed.resize(listed.size());
    auto known = [&](int c) { return shown[std::size_t(c)].fileId != 0; };

    // Each child by the name it should have now: renamed ones first.
    const auto finalNames = FinalNames(renames);
    std::unordered_map<std::wstring, int> expected;
    for (int c = 0; c < int(shown.size()); ++c)
        if (auto to = finalNames.find(shown[std::size_t(c)].name); to != finalNames.end())
            expected.emplace(to->second, c);
    for (int c = 0; c < int(shown.size()); ++c)
        if (!finalNames.count(shown[std::size_t(c)].name))
            expected.emplace(shown[std::size_t(c)].name, c);

    // Matched by name; a child not known and listed under the name it shows
    // stays as it is.
    std::vector<int> byName(listed.size(), -1);
    std::vector<bool> unchanged(listed.size(), false);
    std::unordered_set<int> matched;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        auto it = expected.find(listed[i].name);
        if (it == expected.end() || !matched.insert(it->second).second) continue;
        byName[i] = it->second;
        unchanged[i] = shown[std::size_t(it->second)].name == listed[i].name && !known(it->second);
    }

    // Known children by identity, unless each is listed as the same folder
    // under its name.
    std::vector<int> node = byName;
    const bool anyKnown =
        std::any_of(shown.begin(), shown.end(), [](const TShownChild& c) { return c.fileId != 0; });
    std::unordered_set<int> same;
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (byName[i] >= 0 && known(byName[i]) &&
            listed[i].fileId == shown[std::size_t(byName[i])].fileId)
            same.insert(byName[i]);
    bool allSame = true;
    for (int c = 0; c < int(shown.size()); ++c)
        allSame = allSame && (!known(c) || same.count(c));
    if (anyKnown && !allSame) {
        std::unordered_map<ULONGLONG, std::size_t> at;
        for (std::size_t i = 0; i < listed.size(); ++i)
            if (listed[i].fileId) at.emplace(listed[i].fileId, i);
        std::vector<int> moved(listed.size(), -1);
        for (int c = 0; c < int(shown.size()); ++c)
            if (auto where = at.find(shown[std::size_t(c)].fileId); known(c) && where != at.end())
                moved[where->second] = c;
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const int n = byName[i];
            if (moved[i] >= 0) {
                node[i] = moved[i];
                unchanged[i] = false;
            } else if (n >= 0 && known(n) &&
                       std::find(moved.begin(), moved.end(), n) != moved.end()) {
                node[i] = -1; // that child's folder is listed elsewhere
            } else if (n >= 0 && known(n) && listed[i].fileId != shown[std::size_t(n)].fileId) {
                diff.reread.push_back(n);
            }
        }
    }

    std::unordered_set<int> placed;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const int n = node[i];
        TChildDiff::Entry& e = diff.listed[i];
        if (n < 0) {
            e.kind = listed[i].shown ? TChildDiff::Add : TChildDiff::Skip;
            continue;
        }
        placed.insert(n);
        e.child = n;
        if (unchanged[i] || (listed[i].shown && shown[std::size_t(n)].name == listed[i].name)) {
            e.kind = TChildDiff::Keep;
        } else if (!listed[i].shown) {
            diff.gone.push_back(n);
            e = {};
        } else {
            e.kind = TChildDiff::Rename;
        }
    }
    for (int c = 0; c < int(shown.size()); ++c)
        if (!placed.count(c) && (known(c) || !matched.count(c))) diff.gone.push_back(c);
    return diff;
}
