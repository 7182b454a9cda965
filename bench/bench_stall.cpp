// How long the folder tree's window goes without answering, run by
// scripts/bench-stall.sh under Wine (or by hand: bench_stall.exe [count]):
// the window's loop is served here, and every call into it (the expansion,
// F5, each message dispatched) is timed; the longest is the longest the
// window could not answer. Three cases, each until its children are shown:
//   - the first expansion of a node of [count] subfolders (20,000);
//   - the update (F5) of a node that gained [count] subfolders at once;
//   - the expansion of a node whose listing takes 5 s (held on its thread,
//     as a share whose server has gone holds it).
// Figures only. Its folders are made in a temporary folder of its own and
// removed at the end.
#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/FolderTreeTestAccess.h"
#include "gui/Application.h"
#include "gui/Form.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

int ChildCount(const TTreeNode* node) {
    int count = 0;
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        ++count;
    return count;
}

// The system's services, but for a listing that can be made to take 5 s.
class TSlowServices : public TTreeServices {
  public:
    std::atomic<bool> slow{false};
    void ListingBegins() override {
        if (slow) Sleep(5000);
    }
};

struct TStall {
    double longest = 0; // the longest call into the window
    double total = 0;   // until the children were shown
    UINT message = 0;   // the longest call's message; 0: the call that started it
};

// Runs `start`, then serves the window until `done`; each timed.
TStall Serve(const std::function<void()>& start, const std::function<bool()>& done) {
    TStall stall;
    const double begin = Now();
    start();
    stall.longest = Now() - begin;
    while (!done() || TFolderTreeTestAccess::LiveListings() > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double t = Now();
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (Now() - t > stall.longest) {
                stall.longest = Now() - t;
                stall.message = msg.message;
            }
        }
        if (Now() - begin > 240) break; // given up
    }
    stall.total = Now() - begin;
    return stall;
}

void MakeFolders(const std::wstring& parent, int count) {
    for (int i = 1; i <= count; ++i)
        CreateDirectoryW((parent + L"\\d" + std::to_wstring(100000 + i)).c_str(), nullptr);
}

// The node shows its listed children: a child with a record (not the
// placeholder). Asked on every turn of the loop, so it counts nothing.
bool Listed(const TTreeNode* node) {
    return node->GetFirstChild() && node->GetFirstChild()->Data();
}

void RemoveTree(const std::wstring& path) {
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

void Report(const char* key, const char* what, const TStall& s) {
    std::printf("%-44s longest stall %7.1f ms, children shown after %7.2f s", what,
                s.longest * 1000, s.total);
    if (s.message)
        std::printf(" (message 0x%04X)\n", s.message);
    else
        std::printf(" (the call that started it)\n");
    std::printf("%s_stall_ms=%.1f\n%s_seconds=%.2f\n", key, s.longest * 1000, key, s.total);
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring data = std::wstring(temp) + L"kelvane-bench-stall";
    RemoveTree(data); // left by a run that was stopped
    CreateDirectoryW(data.c_str(), nullptr);
    for (const wchar_t* name : {L"\\big", L"\\grow", L"\\slow", L"\\grow\\first", L"\\slow\\a"})
        CreateDirectoryW((data + name).c_str(), nullptr);
    MakeFolders(data + L"\\big", count);

    TSlowServices services;
    TWindowed<TForm> form(
        nullptr, TFormProps{.control = {.name = "TBenchStall", .width = 486, .height = 346}});
    TFolderTreeViewExProps props;
    props.rootFolder = rfManual;
    const std::string root(data.begin(), data.end()); // ASCII
    props.rootFolderName = root.c_str();
    props.tree.control = {.name = "FTV", .align = alClient};
    auto tree = std::make_unique<TWindowed<TFolderTreeViewEx>>(&form, &form, props, services);
    form.Create();
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    Serve([] {}, [] { return true; }); // the root's own listing
    TTreeNode* top = tree->Items().GetFirstNode();
    auto child = [&](const wchar_t* name) {
        for (TTreeNode* n = top ? top->GetFirstChild() : nullptr; n; n = n->GetNextSibling())
            if (n->Text() == name) return n;
        return static_cast<TTreeNode*>(nullptr);
    };
    std::printf("folder tree, longest time without answering (%d subfolders)\n", count);

    TTreeNode* big = child(L"big");
    TTreeNode* grow = child(L"grow");
    TTreeNode* slow = child(L"slow");
    if (!big || !grow || !slow) {
        std::printf("the root's folders are not shown\n");
        return 1;
    }
    Report("fill", "first expansion of the big node",
           Serve([&] { big->Expand(false); }, [&] { return Listed(big); }));
    std::printf("(%d nodes below it)\n", ChildCount(big));
    big->Collapse(false);

    grow->Expand(false);
    tree->SetSelected(grow);
    MakeFolders(data + L"\\grow", count);
    Report("update", "F5 on a node that gained them at once",
           Serve([&] { SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F5, 0); },
                 [&] { return grow->GetFirstChild() && grow->GetFirstChild()->GetNextSibling(); }));

    services.slow = true;
    Report("slow", "expansion of a node whose listing takes 5 s",
           Serve([&] { slow->Expand(false); },
                 [&] { return slow->GetFirstChild() && slow->GetFirstChild()->Text() == L"a"; }));
    services.slow = false;

    tree.reset();
    RemoveTree(data);
    return 0;
}
