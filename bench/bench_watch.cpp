// The benchmark of the folder tree following the file system, run by
// scripts/bench-watch.sh under Wine (or by hand: bench_watch.exe [rounds]).
//
//   - update against refill: a node of 2,000 subfolders, one subfolder
//     added; the node brought up to date (F5, the same update a change
//     brings) against a refill of the node (its first expansion in a fresh
//     tree), medians of [rounds] rounds in alternating order;
//   - idle cost: the process's processor time over 10 s of the program's
//     loop (waiting alertably) with 200 open nodes followed, beside the same
//     with AutoUpDate off (nothing followed);
//   - checks: one check of the 200 open nodes' folders (as on activation),
//     per node, and what the checks cost in a second where they run (under
//     Wine, or where a root's read is refused).
//
// Its folders are made in a temporary folder of its own and removed at the end.
#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/FolderTreeTestAccess.h"
#include "gui/AnsiText.h"
#include "gui/Application.h"
#include "gui/Form.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The program's loop served while `busy` holds.
void PumpWhile(const std::function<bool()>& busy) {
    while (busy()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        Application().ProcessMessages();
    }
}

// Listings slower than the window's wait come back as messages: served
// until every one has been applied.
void AwaitListings() {
    PumpWhile([] { return TFolderTreeTestAccess::LiveListings() > 0; });
}

// The loop served for a moment: what an earlier step left to do (a paint
// of the form that another form's end uncovered, which the display reports
// late) is done before a step is timed, not within it.
void Settle() {
    const DWORD end = GetTickCount() + 100;
    PumpWhile([end] { return int(end - GetTickCount()) > 0; });
}

int ChildCount(const TTreeNode* node) {
    int count = 0;
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        ++count;
    return count;
}

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

double ProcessCpu() {
    FILETIME creation, exitTime, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::string Numbered(const std::string& prefix, int i) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", i);
    return prefix + name;
}

// A form holding one tree rooted at `root`, its window made.
struct THostedTree {
    THostedTree(const std::string& root, bool autoUpDate) : root_(root) {
        TFolderTreeViewExProps props;
        props.rootFolder = rfManual;
        props.rootFolderName = root_.c_str();
        props.autoUpDate = autoUpDate;
        props.tree.control = {.left = 0, .top = 0, .width = 300, .height = 400};
        tree = std::make_unique<TWindowed<TFolderTreeViewEx>>(&form, &form, props);
        form.Create();
        ShowWindow(form.Handle(), SW_SHOWNOACTIVATE); // checks run while the tree can be seen
        AwaitListings(); // the root's children, which a slower listing shows later
    }
    TTreeNode* Child(const std::string& text) {
        for (TTreeNode* n = tree->Items().GetFirstNode()->GetFirstChild(); n;
             n = n->GetNextSibling())
            if (n->Text() == WideText(text)) return n;
        return nullptr;
    }
    std::string root_;
    TWindowed<TForm> form{nullptr,
                          {.control = {.name = "TBenchWatch", .width = 320, .height = 420}}};
    std::unique_ptr<TFolderTreeViewEx> tree;
};

void RemoveTree(const std::string& path) {
    std::string from = path + std::string(1, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

void UpdateAgainstRefill(const std::string& data, int rounds) {
    const std::string big = data + "\\big";
    CreateDirectoryA(big.c_str(), nullptr);
    for (int i = 1; i <= 2000; ++i)
        CreateDirectoryA((big + "\\" + Numbered("d", i)).c_str(), nullptr);

    THostedTree watched(data, true);
    TTreeNode* node = watched.Child("big");
    node->Expand(false);
    AwaitListings(); // else F5 would ask for this fill again, not update it
    watched.tree->SetSelected(node);
    std::vector<double> updates, refills;
    int updatedCount = 0, refilledCount = 0;
    for (int r = 0; r < rounds; ++r) {
        const std::string added = big + "\\" + Numbered("new", r);
        CreateDirectoryA(added.c_str(), nullptr);
        for (int step = 0; step < 2; ++step) {
            if ((step == 0) == (r % 2 == 0)) {
                Settle();
                const double begin = Now();
                SendMessageA(watched.tree->Handle(), WM_KEYDOWN, VK_F5, 0); // the update
                AwaitListings();
                updates.push_back(Now() - begin);
                updatedCount = ChildCount(node);
            } else {
                THostedTree fresh(data, true);
                TTreeNode* again = fresh.Child("big");
                Settle();
                const double begin = Now();
                again->Expand(false); // the fill
                AwaitListings();
                refills.push_back(Now() - begin);
                refilledCount = ChildCount(again);
            }
            Application().ProcessMessages();
        }
        RemoveDirectoryA(added.c_str());
        SendMessageA(watched.tree->Handle(), WM_KEYDOWN, VK_F5, 0);
        AwaitListings();
    }
    const double update = Median(updates), refill = Median(refills);
    std::printf("Node of 2,000 subfolders, one added (medians of %d alternating rounds):\n"
                "  update %.1f ms (%d nodes), refill %.1f ms (%d nodes): refill/update = %.1f\n",
                rounds, update * 1000, updatedCount, refill * 1000, refilledCount,
                update > 0 ? refill / update : 0.0);
}

// Processor time of the process over `seconds` of the program's loop.
double IdleCpu(double seconds) {
    const double cpu = ProcessCpu();
    for (const double end = Now() + seconds; Now() < end;) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT,
                                    MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
        Application().ProcessMessages();
    }
    return std::max(0.0, ProcessCpu() - cpu); // no "-0.000" from rounding
}

void IdleCost(const std::string& data) {
    const std::string idle = data + "\\idle";
    CreateDirectoryA(idle.c_str(), nullptr);
    for (int i = 1; i <= 200; ++i) {
        const std::string folder = idle + "\\" + Numbered("w", i);
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    }
    std::printf("Idle, 10 s of the loop with 200 nodes open:\n");
    for (bool autoUpDate : {true, false}) {
        THostedTree host(idle, autoUpDate);
        for (TTreeNode* n = host.tree->Items().GetFirstNode()->GetFirstChild(); n;
             n = n->GetNextSibling())
            n->Expand(false);
        AwaitListings();
        const int open = Internals(*host.tree).WatchCount();
        std::printf("  AutoUpDate %-5s: %3d open nodes known, %d root handles, %.3f s processor "
                    "time\n",
                    autoUpDate ? "True" : "False", open, Internals(*host.tree).RootHandles(),
                    IdleCpu(10));
        if (!autoUpDate || !open) continue;
        const int checks = 200;
        const double begin = Now();
        for (int i = 0; i < checks; ++i) { // a check at once, as on activation, and its round
            SendMessageA(host.tree->Handle(), WM_ACTIVATEAPP, TRUE, 0);
            PumpWhile([&] { return Internals(*host.tree).WatchRoundOut(); });
        }
        const double each = (Now() - begin) / checks;
        std::printf("  a check of %d open nodes, its round there and back %.3f ms, %.2f us per "
                    "node; one a second: %.3f%% "
                    "of a core\n",
                    open, each * 1000, each * 1e6 / open, each * 100);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string data = std::string(temp) + "kelvane-bench-watch";
    RemoveTree(data);
    CreateDirectoryA(data.c_str(), nullptr);
    UpdateAgainstRefill(data, rounds);
    IdleCost(data);
    RemoveTree(data);
    OleUninitialize();
    return 0;
}
