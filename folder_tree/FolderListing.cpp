#include "folder_tree/FolderListing.h"

#include "folder_tree/FolderIdentity.h"
#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellIcons.h"
#include "folder_tree/ShellNames.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <unordered_map>

using Microsoft::WRL::ComPtr;

namespace {

constexpr ULONG kFolderLike = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;

// The extension of a parsing name: from the last "." after the last "\" and
// ":" to the end, dot included; empty without one.
std::wstring ExtensionOf(const std::wstring& name) {
    std::size_t dot = name.find_last_of(L"\\:.");
    if (dot == std::wstring::npos || name[dot] != L'.') return {};
    return name.substr(dot);
}

// The mask test on a parsing name: its extension is one of the mask's
// entries, case aside, whatever the rest of the name holds.
bool NameMatchesFileMask(const std::wstring& parsingName, const std::vector<std::wstring>& mask) {
    if (MayBeCutShort(parsingName)) return false;
    std::wstring ext = ExtensionOf(parsingName);
    if (ext.empty()) return false;
    CharUpperBuffW(ext.data(), DWORD(ext.size()));
    return std::find(mask.begin(), mask.end(), ext) != mask.end();
}

// Whether the tree shows an enumerated item, with the item's full list
// when it does. One parse per item, of a name as the shell gave it: it
// decides parsability, the name feeds the mask and the list becomes the
// node's full list.
bool IsShownChild(IShellFolder* folder, LPCITEMIDLIST item, ULONG a, LPCITEMIDLIST folderList,
                  const TListingRules& rules, UniqueItemIDList& absolute) {
    std::wstring parsingName;
    absolute = InFolderOrDesktopParsedItemIDList(folder, item, folderList, parsingName);
    if (rules.virtualRoot) return true;
    if (!absolute) return false;
    if (a & kFolderLike) return true;
    return rules.showFile && (a & SFGAO_FILESYSTEM) &&
           (rules.mask.empty() || NameMatchesFileMask(parsingName, rules.mask));
}

// What a node of the item shows beside its name: its overlay and its button.
void Describe(IShellFolder* folder, TListedChild& child, const TListingRules& rules) {
    const ULONG a = child.attributes;
    int overlay = 0;
    const bool shellOverlay = GetItemOverlayIndex(folder, child.item.get(), overlay);
    if (shellOverlay)
        child.overlay = overlay;
    else if (a & SFGAO_SHARE)
        child.overlay = 0;
    if (rules.showFile) {
        if (!shellOverlay && (a & SFGAO_LINK)) child.overlay = 1;
        child.hasChildren =
            (a & SFGAO_HASSUBFOLDER) ||
            ((a & SFGAO_FOLDER) && HasShowableFiles(folder, child.item.get(), rules));
    } else {
        child.hasChildren = (a & SFGAO_HASSUBFOLDER) != 0;
    }
}

// What a node of the child needs: whether it shows, its full list, its
// text, overlay and button. The parse and the button cost most of a listing.
void Detail(IShellFolder* folder, TListedChild& child, LPCITEMIDLIST folderList,
            const TListingRules& rules) {
    child.detailed = true;
    child.shown = IsShownChild(folder, child.item.get(), child.attributes, folderList, rules,
                               child.absolute) &&
                  GetItemDisplayNameW(folder, child.item.get(), SHGDN_INFOLDER, child.text);
    if (child.shown) Describe(folder, child, rules);
}

ULONGLONG FileIdOf(const TListedChild& child) {
    wchar_t path[MAX_PATH] = {};
    return child.shown && (child.attributes & SFGAO_FOLDER) && child.absolute &&
                   SHGetPathFromIDListW(child.absolute.get(), path)
               ? FolderFileId(path)
               : 0;
}

// The identities asked for: those listed under the names given, and only
// where one of them is not the folder given with it every other folder
// listed, each a brief open, which a share answers over the network.
void Identify(std::vector<TListedChild>& children,
              const std::vector<std::pair<std::wstring, ULONGLONG>>& identify,
              const std::function<void(TListedChild&)>& detail) {
    auto idOf = [&](TListedChild& c) {
        if (!c.detailed) detail(c); // its full list names the folder to open
        return FileIdOf(c);
    };
    if (identify.empty()) return;
    std::unordered_map<std::wstring, TListedChild*> byName;
    for (TListedChild& c : children)
        byName.emplace(c.name, &c);
    bool allSame = true;
    for (const auto& [name, id] : identify) {
        auto it = byName.find(name);
        if (it == byName.end()) {
            allSame = false;
            continue;
        }
        it->second->fileId = idOf(*it->second);
        allSame = allSame && it->second->fileId == id;
    }
    if (allSame) return;
    for (TListedChild& c : children)
        if (!c.fileId) c.fileId = idOf(c);
}

} // namespace

bool HasShowableFiles(IShellFolder* folder, LPCITEMIDLIST item, const TListingRules& rules) {
    ComPtr<IMalloc> malloc = ShellMalloc();
    if (!malloc) return false;
    SHCONTF flags = SHCONTF_NONFOLDERS | (rules.includeHidden ? SHCONTF_INCLUDEHIDDEN : 0);
    bool found = false;
    auto isShowable = [&](IShellFolder* sub, LPCITEMIDLIST child, ULONG a) {
        if (!(a & SFGAO_FILESYSTEM)) return true;
        if (!rules.mask.empty() && !(a & SFGAO_FOLDER) &&
            !NameMatchesFileMask(GetItemParsingNameW(sub, child), rules.mask))
            return true;
        found = IsParsableItem(malloc.Get(), sub, child);
        return !found; // the first showable file ends the enumeration
    };
    EnumerateFolder(folder, item, nullptr, flags, SFGAO_FILESYSTEM | SFGAO_FOLDER, isShowable);
    return found;
}

TListing ListFolder(LPCITEMIDLIST folder, LPCITEMIDLIST folderList, const TListingRules& rules,
                    const std::vector<std::pair<std::wstring, ULONGLONG>>& identify,
                    const std::vector<std::wstring>& kept, const std::atomic<bool>& cancelled) {
    TListing listing;
    ComPtr<IShellFolder> desktop = DesktopFolder();
    ComPtr<IShellFolder> sub = desktop;
    if (!desktop || !folder ||
        (folder->mkid.cb && FAILED(desktop->BindToObject(folder, nullptr, IID_PPV_ARGS(&sub)))))
        return listing;
    listing.bound = true;
    std::unordered_map<std::wstring, std::size_t> keptAt; // a kept name's place among the shown
    keptAt.reserve(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i)
        keptAt.emplace(kept[i], i);
    auto detail = [&](TListedChild& c) { Detail(sub.Get(), c, folderList, rules); };
    // No window is handed to the shell: a folder that would ask the user
    // something (a disk, a password) lists nothing instead.
    EnumerateBoundFolder(sub.Get(), nullptr, rules.flags, ItemAttributeMask,
                         [&](IShellFolder* in, LPCITEMIDLIST raw, ULONG a) {
                             TListedChild child;
                             child.item = CopyItemID(raw);
                             child.attributes = a;
                             GetItemDisplayNameW(in, raw, SHGDN_INFOLDER | SHGDN_FORPARSING,
                                                 child.name);
                             if (auto at = keptAt.find(child.name); at != keptAt.end()) {
                                 child.shown = true; // as its node shows it
                                 child.keptAt = at->second;
                             } else {
                                 Detail(in, child, folderList, rules);
                             }
                             if (child.item) listing.children.push_back(std::move(child));
                             return !cancelled.load(std::memory_order_relaxed);
                         });
    // Before the shown ones are told apart: a kept child asked its
    // identity is read in full.
    Identify(listing.children, identify, detail);
    // The kept ones first, in the order their nodes show, then the other
    // shown ones, then the rest.
    auto& all = listing.children;
    auto keptEnd = std::stable_partition(all.begin(), all.end(), [](const TListedChild& c) {
        return c.shown && c.keptAt != TListedChild::kNotKept;
    });
    auto shownEnd =
        std::stable_partition(keptEnd, all.end(), [](const TListedChild& c) { return c.shown; });
    listing.shownCount = std::size_t(shownEnd - all.begin());
    std::sort(all.begin(), keptEnd,
              [](const TListedChild& x, const TListedChild& y) { return x.keptAt < y.keptAt; });
    // Ordered as the tree orders siblings: by the folder's own comparison,
    // files above folders when asked. The kept ones are in that order
    // already, so the others are sorted and merged in, each placed by a
    // search: a share's comparison can cost a round trip.
    auto before = [&](const TListedChild& x, const TListedChild& y) {
        const bool folderX = (x.attributes & SFGAO_FOLDER) != 0;
        const bool folderY = (y.attributes & SFGAO_FOLDER) != 0;
        if (rules.filesFirst && folderX != folderY) return folderY;
        HRESULT hr = sub->CompareIDs(0, x.item.get(), y.item.get());
        return SUCCEEDED(hr) && short(HRESULT_CODE(hr)) < 0;
    };
    std::stable_sort(keptEnd, shownEnd, before);
    if (keptEnd != all.begin() && keptEnd != shownEnd) {
        std::vector<TListedChild> merged;
        merged.reserve(all.size());
        auto k = all.begin();
        for (auto n = keptEnd; n != shownEnd; ++n) {
            auto at = std::upper_bound(k, keptEnd, *n, before);
            std::move(k, at, std::back_inserter(merged));
            k = at;
            merged.push_back(std::move(*n));
        }
        std::move(k, keptEnd, std::back_inserter(merged));
        std::move(shownEnd, all.end(), std::back_inserter(merged));
        all = std::move(merged);
    }
    return listing;
}
