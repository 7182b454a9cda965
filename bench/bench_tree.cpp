// The folder tree's benchmark, run by scripts/bench-tree.sh under Wine.
//
//   bench_tree fill <parent folder> <folder with subfolders> <folder with files> [rounds]
//       in one run, for each of the two folders (named relative to the
//       parent) and in each round (2 by default; the control first in odd
//       rounds, the bare loop first in even ones): the first expansion of the folder's node in the
//       real control (a form holding a TFolderTreeViewEx rooted at the parent), with the drawing of
//       the visible nodes after it; then a bare shell loop doing the least a fill needs; the times,
//       their ratio and the node counts. The subfolders are shown with ShowFile off, the files with
//       ShowFile on. Then, on the control's filled node, the costs the bare loop does not have, one
//       by one.
//   bench_tree startup
//       the real main window (rfDrives), shown; the time from the process's
//       creation to the end of the tree window's first WM_PAINT. The
//       benchmark starts as the program does: its entry narrows the DLL
//       search, and its system DLLs are delay-loaded (bench/CMakeLists.txt).
//
// Prints a readable report; lines of the form key=value are for the script.
#include "app/DllSearch.h"
#include "app/Unit1.h"
#include "folder_tree/FolderTreeTestAccess.h"
#include "folder_tree/ShellItems.h"
#include "folder_tree/TreeItemData.h"
#include "gui/AnsiText.h"
#include "gui/Application.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- clocks ----

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / frequency;
}

std::uint64_t FileTimeValue(const FILETIME& t) {
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::uint64_t SystemTimeNow() {
    FILETIME t;
    GetSystemTimeAsFileTime(&t);
    return FileTimeValue(t);
}

// 100 ns units since 1601 to seconds since 1970.
double UnixSeconds(std::uint64_t fileTime) {
    return double(fileTime - 116444736000000000ull) / 1e7;
}

// Processor time of the calling thread (user and kernel), in seconds: less
// disturbed than the wall clock by other programs on a busy machine, but
// blind to work done for the thread by the wineserver.
double ThreadCpu() {
    FILETIME creation, exitTime, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &creation, &exitTime, &kernel, &user)) return 0;
    return double(FileTimeValue(kernel) + FileTimeValue(user)) / 1e7;
}

void PumpMessages() {
    Application().ProcessMessages();
}

std::string Ratio(double a, double b) {
    if (a <= 0 || b <= 0) return "n/a";
    char s[32];
    std::snprintf(s, sizeof s, "%.2f", a / b);
    return s;
}

void InitControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

// ---- the real control ----

// The control as the program has it, with two hooks that only watch: the
// span of the expanding notification (where the node is filled) and the
// icon look-ups of the nodes that get drawn.
class TWatchedTree : public TFolderTreeViewEx {
  public:
    using TFolderTreeViewEx::TFolderTreeViewEx;
    double fillSeconds = 0;
    double iconSeconds = 0;
    int iconLookups = 0;

  protected:
    bool CanExpand(TTreeNode* node) override {
        const double begin = Now();
        const bool allow = TFolderTreeViewEx::CanExpand(node);
        fillSeconds += Now() - begin;
        return allow;
    }
    int NodeImageIndex(TTreeNode* node, bool selected) override {
        const double begin = Now();
        const int index = TFolderTreeViewEx::NodeImageIndex(node, selected);
        iconSeconds += Now() - begin;
        ++iconLookups;
        return index;
    }
};

constexpr int kFormWidth = 486, kFormHeight = 346; // the main window's size

struct TControlRun {
    bool found = false;
    double expandSeconds = 0; // node->Expand(false)
    double fillSeconds = 0;   // of it, inside the expanding notification
    double paintSeconds = 0;  // UpdateWindow and the pending messages after it
    double iconSeconds = 0;   // of it, icon look-ups
    int iconLookups = 0;
    double cpuSeconds = 0; // the thread's processor time over expansion and paint
    int nodes = 0;         // children of the folder's node
    int visible = 0;       // TVM_GETVISIBLECOUNT
    bool painted = false;  // no update region left after the paint
    // Costs the bare loop does not have, measured on the filled node.
    double overlaySeconds = -1;
    double sortSeconds = -1;
    long sortCompares = 0;
    double addSeconds = -1;
};

// Tree sort callbacks for the cost of the fill's sort: a fixed shuffle
// (no shell call), and the fill's own comparison, counted.
long gCompares = 0;
int CALLBACK ShuffleOrder(LPARAM a, LPARAM b, LPARAM) {
    auto mix = [](LPARAM v) {
        std::uint32_t x = std::uint32_t(v) * 2654435761u;
        return x ^ (x >> 15);
    };
    const std::uint32_t x = mix(a), y = mix(b);
    return x < y ? -1 : x > y ? 1 : 0;
}
int CALLBACK CountedCompare(LPARAM a, LPARAM b, LPARAM datum) {
    ++gCompares;
    return CompareByShell(a, b, datum);
}

TTreeNode* ChildNamed(TTreeNode* parent, const std::string& name) {
    for (TTreeNode* n = parent ? parent->GetFirstChild() : nullptr; n; n = n->GetNextSibling())
        if (lstrcmpiW(n->Text().c_str(), WideText(name).c_str()) == 0) return n;
    return nullptr;
}

TControlRun RunControl(const std::string& parent, const std::string& name, bool showFile) {
    TControlRun run;
    TFormProps formProps{.control = {.name = "TBenchTreeForm",
                                     .left = 40,
                                     .top = 40,
                                     .width = kFormWidth,
                                     .height = kFormHeight,
                                     .color = clBtnFace},
                         .caption = L"bench_tree"};
    TWindowed<TForm> form(nullptr, formProps);
    TFolderTreeViewExProps props;
    props.tree.control = {.name = "FTV", .align = alClient, .parentColor = false};
    props.tree.indent = 19;
    props.rootFolder = rfManual;
    props.rootFolderName = parent.c_str();
    props.showFile = showFile;
    TWindowed<TWatchedTree> tree(&form, &form, props);
    form.Show(); // the windows, the root's fill and the first paint
    PumpMessages();

    TTreeNode* node = ChildNamed(tree.Items().GetFirstNode(), name);
    if (!node) return run;
    run.found = true;
    tree.fillSeconds = tree.iconSeconds = 0;
    tree.iconLookups = 0;

    const double cpu0 = ThreadCpu();
    const double t0 = Now();
    node->Expand(false);
    // A listing slower than the window's wait comes back as a message: the
    // expansion ends when every listing has been applied.
    while (TFolderTreeTestAccess::LiveListings() > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        PumpMessages();
    }
    const double t1 = Now();
    UpdateWindow(tree.Handle());
    PumpMessages();
    const double t2 = Now();
    run.cpuSeconds = ThreadCpu() - cpu0;

    run.expandSeconds = t1 - t0;
    run.fillSeconds = tree.fillSeconds;
    run.paintSeconds = t2 - t1;
    run.iconSeconds = tree.iconSeconds;
    run.iconLookups = tree.iconLookups;
    run.visible = int(SendMessageA(tree.Handle(), TVM_GETVISIBLECOUNT, 0, 0));
    RECT update{};
    run.painted = !GetUpdateRect(tree.Handle(), &update, FALSE);

    // What the fill does beyond the bare loop, each piece alone on the same
    // items: the overlay query of every item, the sort from a shuffled order
    // with the fill's comparison, and the insertion of as many nodes with
    // the control's node objects.
    std::vector<TTreeNode*> children;
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        children.push_back(c);
    run.nodes = int(children.size());
    {
        const double begin = Now();
        for (TTreeNode* c : children) {
            auto* data = NodeData(c);
            int overlay = 0;
            if (data && data->ParentFolder)
                GetItemOverlayIndex(data->ParentFolder.Get(), data->RelativeID.get(), overlay);
        }
        run.overlaySeconds = Now() - begin;
    }
    SendMessageA(tree.Handle(), WM_SETREDRAW, FALSE, 0);
    node->CustomSort(ShuffleOrder, 0);
    gCompares = 0;
    {
        const double begin = Now();
        node->CustomSort(CountedCompare, 0);
        run.sortSeconds = Now() - begin;
    }
    run.sortCompares = gCompares;
    {
        // Under a fresh collapsed node, as in the fill: text, no record.
        TTreeNode* scratch = tree.Items().Add(nullptr, {.text = L"scratch"});
        if (scratch) {
            const double begin = Now();
            for (TTreeNode* c : children)
                tree.Items().Add(scratch, {.text = c->Text(),
                                           .imageIndex = I_IMAGECALLBACK,
                                           .selectedIndex = I_IMAGECALLBACK,
                                           .hasChildren = false});
            run.addSeconds = Now() - begin;
            scratch->Delete();
        }
    }
    SendMessageA(tree.Handle(), WM_SETREDRAW, TRUE, 0);
    return run;
}

// ---- the bare loop ----

struct TBareRun {
    bool bound = false;
    double seconds = 0;
    double cpuSeconds = 0;
    int items = 0; // enumerated
    int nodes = 0; // inserted
    int treeCount = 0;
};

// An ANSI text of a STRRET, the wide text freed.
bool StrRetToAnsi(STRRET& s, LPCITEMIDLIST item, char* out, int size) {
    switch (s.uType) {
    case STRRET_WSTR: {
        const int n = WideCharToMultiByte(CP_ACP, 0, s.pOleStr, -1, out, size, nullptr, nullptr);
        CoTaskMemFree(s.pOleStr);
        return n > 0;
    }
    case STRRET_CSTR:
        lstrcpynA(out, s.cStr, size);
        return true;
    case STRRET_OFFSET:
        lstrcpynA(out, reinterpret_cast<const char*>(item) + s.uOffset, size);
        return true;
    default:
        return false;
    }
}

// A wide text of a STRRET into `out`, the wide text freed.
bool StrRetToWide(STRRET& s, LPCITEMIDLIST item, wchar_t* out, int size) {
    switch (s.uType) {
    case STRRET_WSTR:
        lstrcpynW(out, s.pOleStr, size);
        CoTaskMemFree(s.pOleStr);
        return true;
    case STRRET_CSTR:
        return MultiByteToWideChar(CP_ACP, 0, s.cStr, -1, out, size) > 0;
    case STRRET_OFFSET:
        return MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(item) + s.uOffset, -1,
                                   out, size) > 0;
    default:
        return false;
    }
}

std::wstring Wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), n);
    return w;
}

// The least a fill needs per item: its attributes, its label, its list by
// the short route (the in-folder parsing name parsed in the folder and
// compared with the item) and one insert. With `fullRoute`, the item's full
// parsing name parsed by the desktop instead, as the fill did before.
TBareRun RunBare(const std::string& folderPath, bool showFile, bool fullRoute, int limit = -1) {
    TBareRun run;
    HWND tree = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_TREEVIEWA, "bench_tree bare",
        WS_OVERLAPPEDWINDOW | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 40, 40, kFormWidth,
        kFormHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tree) return run;
    ShowWindow(tree, SW_SHOW);
    UpdateWindow(tree);
    TVINSERTSTRUCTA top{};
    top.hParent = TVI_ROOT;
    top.hInsertAfter = TVI_LAST;
    top.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    top.item.pszText = const_cast<char*>("folder");
    top.item.cChildren = 1;
    auto parent = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, LPARAM(&top)));
    PumpMessages();

    std::wstring path = Wide(folderPath);
    const SHCONTF flags =
        SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN | (showFile ? SHCONTF_NONFOLDERS : 0);
    const double cpu0 = ThreadCpu();
    const double begin = Now();
    {
        IShellFolder* desktop = nullptr;
        LPITEMIDLIST folderList = nullptr;
        IShellFolder* folder = nullptr;
        IEnumIDList* items = nullptr;
        ULONG eaten = 0;
        if (SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
            SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, path.data(), &eaten, &folderList,
                                                nullptr)) &&
            SUCCEEDED(desktop->BindToObject(folderList, nullptr, IID_IShellFolder,
                                            reinterpret_cast<void**>(&folder))) &&
            folder->EnumObjects(tree, flags, &items) == S_OK && items) {
            run.bound = true;
            LPITEMIDLIST item = nullptr;
            char text[MAX_PATH * 2];
            wchar_t parsing[MAX_PATH * 2];
            while ((limit < 0 || run.items < limit) && items->Next(1, &item, nullptr) == S_OK) {
                ++run.items;
                LPCITEMIDLIST constItem = item;
                ULONG a = ItemAttributeMask;
                folder->GetAttributesOf(1, &constItem, &a);
                STRRET name{};
                STRRET parse{};
                LPITEMIDLIST absolute = nullptr;
                const SHGDNF parseFlags =
                    fullRoute ? SHGDN_FORPARSING : SHGDN_INFOLDER | SHGDN_FORPARSING;
                IShellFolder* parser = fullRoute ? desktop : folder;
                if (folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name) == S_OK &&
                    StrRetToAnsi(name, item, text, sizeof text) &&
                    folder->GetDisplayNameOf(item, parseFlags, &parse) == S_OK &&
                    StrRetToWide(parse, item, parsing, MAX_PATH * 2) &&
                    SUCCEEDED(parser->ParseDisplayName(nullptr, nullptr, parsing, &eaten, &absolute,
                                                       nullptr)) &&
                    (fullRoute || HRESULT_CODE(folder->CompareIDs(0, absolute, item)) == 0) &&
                    ((a & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER)) ||
                     (showFile && (a & SFGAO_FILESYSTEM)))) {
                    TVINSERTSTRUCTA ins{};
                    ins.hParent = parent;
                    ins.hInsertAfter = TVI_LAST;
                    ins.item.mask = TVIF_TEXT | TVIF_CHILDREN;
                    ins.item.pszText = text;
                    ins.item.cChildren = (a & SFGAO_HASSUBFOLDER) ? 1 : 0;
                    if (SendMessageA(tree, TVM_INSERTITEMA, 0, LPARAM(&ins))) ++run.nodes;
                }
                CoTaskMemFree(absolute);
                CoTaskMemFree(item);
            }
        }
        if (items) items->Release();
        if (folder) folder->Release();
        CoTaskMemFree(folderList);
        if (desktop) desktop->Release();
    }
    run.seconds = Now() - begin;
    run.cpuSeconds = ThreadCpu() - cpu0;
    run.treeCount = int(SendMessageA(tree, TVM_GETCOUNT, 0, 0)) - 1;
    DestroyWindow(tree);
    PumpMessages();
    return run;
}

// ---- the report ----

// Entries of a folder other than "." and "..", as FindFirstFileA lists them.
int CountEntries(const std::string& folder) {
    int count = 0;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do
        if (std::strcmp(d.cFileName, ".") && std::strcmp(d.cFileName, "..")) ++count;
    while (FindNextFileA(h, &d));
    FindClose(h);
    return count;
}

// One folder, measured in rounds: the control then the bare loop in odd
// rounds, the other way round in even ones, so that neither side always
// comes first.
struct TFolderResult {
    std::string label;
    int entries = 0;
    std::vector<TControlRun> control;
    std::vector<TBareRun> bare; // the least a fill needs
    std::vector<TBareRun> full; // the same with the desktop's parse of the full name
};

// The full route takes minutes on the biggest folders; KELVANE_BENCH_NO_FULL=1
// leaves it out.
bool FullRouteMeasured() {
    const char* skip = std::getenv("KELVANE_BENCH_NO_FULL");
    return !(skip && std::strcmp(skip, "1") == 0);
}

double ControlTotal(const TControlRun& c) {
    return c.expandSeconds + c.paintSeconds;
}

TFolderResult MeasureFolder(const std::string& parent, const std::string& name, bool showFile,
                            int rounds) {
    TFolderResult r;
    std::string path = parent;
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
    r.entries = CountEntries(path);
    r.label = "Folder with " + std::to_string(r.entries) +
              (showFile ? " files (" : " subfolders (") + path +
              (showFile ? ", ShowFile on)" : ", ShowFile off)");
    // The three in rotating order, so that none always comes first.
    for (int i = 0; i < rounds; ++i)
        for (int k = 0; k < 3; ++k)
            switch ((i + k) % 3) {
            case 0:
                r.control.push_back(RunControl(parent, name, showFile));
                break;
            case 1:
                r.bare.push_back(RunBare(path, showFile, false));
                break;
            default:
                r.full.push_back(FullRouteMeasured() ? RunBare(path, showFile, true) : TBareRun{});
                break;
            }
    return r;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintFolder(const char* key, const TFolderResult& r) {
    std::printf("\n%s\n", r.label.c_str());
    double controlSum = 0, bareSum = 0, expandSum = 0, controlCpu = 0, bareCpu = 0;
    bool sameWork = true;
    for (std::size_t i = 0; i < r.control.size(); ++i) {
        const TControlRun& c = r.control[i];
        const TBareRun& b = r.bare[i];
        controlSum += ControlTotal(c);
        expandSum += c.expandSeconds;
        bareSum += b.seconds;
        controlCpu += c.cpuSeconds;
        bareCpu += b.cpuSeconds;
        sameWork = sameWork && c.found && b.bound && c.nodes == b.nodes && c.nodes == r.entries;
        std::printf("  round %u (%s first)\n", unsigned(i + 1),
                    i % 3 == 0   ? "control"
                    : i % 3 == 1 ? "least"
                                 : "full route");
        if (!c.found) std::printf("    WARNING: the folder's node was not found in the control\n");
        if (!b.bound) std::printf("    WARNING: the bare loop could not bind to the folder\n");
        std::printf("    control: expand %8.3f s (fill inside the expanding notification %.3f s)\n",
                    c.expandSeconds, c.fillSeconds);
        std::printf("             draw   %8.3f s (%d icon look-ups %.3f s; %d rows visible; %s)\n",
                    c.paintSeconds, c.iconLookups, c.iconSeconds, c.visible,
                    c.painted ? "all painted" : "NOT all painted");
        std::printf("             total  %8.3f s   %d nodes   (thread processor time %.3f s)\n",
                    ControlTotal(c), c.nodes, c.cpuSeconds);
        std::printf(
            "    least:          %8.3f s   %d nodes   (thread processor time %.3f s; %d items "
            "enumerated, %d in its tree)\n",
            b.seconds, b.nodes, b.cpuSeconds, b.items, b.treeCount);
        if (FullRouteMeasured())
            std::printf("    full route:     %8.3f s   %d nodes\n", r.full[i].seconds,
                        r.full[i].nodes);
        std::printf("    control/least = %s\n", Ratio(ControlTotal(c), b.seconds).c_str());
    }
    std::printf("  all rounds: control %.3f s, bare %.3f s (thread processor time: control %.3f s, "
                "bare %.3f s, ratio %s)\n",
                controlSum, bareSum, controlCpu, bareCpu, Ratio(controlCpu, bareCpu).c_str());
    std::printf("  control/bare = %s   (target <= 1.50)   expansion alone/bare = %s\n",
                Ratio(controlSum, bareSum).c_str(), Ratio(expandSum, bareSum).c_str());
    if (!sameWork)
        std::printf("  WARNING: the node counts differ from each other or from the %d entries\n",
                    r.entries);
    if (!r.control.empty()) {
        const TControlRun& c = r.control.front();
        std::printf("  costs the bare loop lacks, each alone on round 1's %d filled nodes:\n",
                    c.nodes);
        std::printf("    overlay query (QueryInterface + GetOverlayIndex)  %.3f s\n",
                    c.overlaySeconds);
        std::printf("    sort from a shuffled order with CompareByShell    %.3f s (%ld compares)\n",
                    c.sortSeconds, c.sortCompares);
        std::printf("    node objects + TVM_INSERTITEMA (Items().Add)       %.3f s\n",
                    c.addSeconds);
    }
    std::vector<double> controls, leasts, fulls;
    for (std::size_t i = 0; i < r.control.size(); ++i) {
        controls.push_back(ControlTotal(r.control[i]));
        leasts.push_back(r.bare[i].seconds);
        fulls.push_back(r.full[i].seconds);
    }
    const double control = Median(controls), least = Median(leasts), full = Median(fulls);
    std::printf("  medians: control %.3f s, least %.3f s: control/least = %s (target <= 1.50)",
                control, least, Ratio(control, least).c_str());
    if (FullRouteMeasured())
        std::printf("; full route %.3f s, full route/control = %s", full,
                    Ratio(full, control).c_str());
    std::printf("\n");
    std::printf("%s_control_seconds=%.3f\n", key, control);
    std::printf("%s_bare_seconds=%.3f\n", key, least);
    if (FullRouteMeasured()) std::printf("%s_full_seconds=%.3f\n", key, full);
    std::printf("%s_ratio=%s\n", key, Ratio(control, least).c_str());
    if (FullRouteMeasured()) std::printf("%s_full_ratio=%s\n", key, Ratio(full, control).c_str());
    std::printf("%s_same_work=%d\n", key, sameWork ? 1 : 0);
    std::printf("%s_cpu_ratio=%s\n", key, Ratio(controlCpu, bareCpu).c_str());
}

int RunFill(const std::string& parent, const std::string& foldersName, const std::string& filesName,
            int rounds) {
    InitControls();
    std::string base = parent;
    if (!base.empty() && base.back() != '\\') base += '\\';

    // Before anything is timed: a short bare pass (the shell's code loaded,
    // the first look-ups of the path made, a first window shown), then a
    // moment for Wine's helpers to settle.
    RunBare(base + filesName, true, false, 50);
    const DWORD until = GetTickCount() + 500;
    while (GetTickCount() < until) {
        PumpMessages();
        Sleep(10);
    }

    const TFolderResult folders = MeasureFolder(parent, foldersName, false, rounds);
    const TFolderResult files = MeasureFolder(parent, filesName, true, rounds);

    std::printf("Kelvane folder tree benchmark: the first expansion of a folder's node in the "
                "control against a bare shell loop, side by side in one run, %d rounds\n",
                rounds);
    PrintFolder("folders", folders);
    PrintFolder("files", files);
    return 0;
}

// ---- the start ----

WNDPROC gTreeProc = nullptr;
int gTreePaints = 0;
std::uint64_t gFirstPaintEnd = 0;

LRESULT CALLBACK WatchTreePaint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT r = CallWindowProcA(gTreeProc, hwnd, msg, wp, lp);
    if (msg == WM_PAINT && gTreePaints++ == 0) gFirstPaintEnd = SystemTimeNow();
    return r;
}

int RunStartup() {
    const std::uint64_t atMain = SystemTimeNow();
    FILETIME creation{}, exitTime{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user);
    const std::uint64_t created = FileTimeValue(creation);

    InitControls();
    TWindowed<TMainForm> form(nullptr); // the windows; the tree fills its root
    const std::uint64_t built = SystemTimeNow();
    HWND tree = form.FTV.Handle();
    gTreeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchTreePaint)));
    form.Show(); // ShowWindow, UpdateWindow
    const std::uint64_t shown = SystemTimeNow();
    const DWORD limit = GetTickCount() + 10000;
    while (gTreePaints == 0 && GetTickCount() < limit) {
        PumpMessages();
        if (gTreePaints == 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    RECT update{};
    const bool clean = !GetUpdateRect(tree, &update, FALSE);
    const int nodes = int(SendMessageA(tree, TVM_GETCOUNT, 0, 0));
    SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gTreeProc));

    auto ms = [](std::uint64_t from, std::uint64_t to) { return double(to - from) / 1e4; };
    std::printf("startup_ok=%d\n", gTreePaints > 0 ? 1 : 0);
    std::printf("startup_to_main_ms=%.1f\n", ms(created, atMain));
    std::printf("startup_to_built_ms=%.1f\n", ms(created, built));
    std::printf("startup_to_shown_ms=%.1f\n", ms(created, shown));
    std::printf("startup_to_first_paint_ms=%.1f\n",
                gTreePaints ? ms(created, gFirstPaintEnd) : -1.0);
    std::printf("startup_first_paint_unix=%.4f\n", gTreePaints ? UnixSeconds(gFirstPaintEnd) : 0.0);
    std::printf("startup_created_unix=%.4f\n", UnixSeconds(created));
    std::printf("startup_tree_nodes=%d\n", nodes);
    std::printf("startup_painted_clean=%d\n", clean ? 1 : 0);
    return gTreePaints > 0 ? 0 : 1;
}

} // namespace

// The C runtime's entry for a console program, which runs the static
// initialisers and then main.
extern "C" int mainCRTStartup();

// The benchmark's entry point, as the program's (app/Project2.cpp).
extern "C" int BenchTreeEntry() {
    NarrowDllSearch();
    return mainCRTStartup();
}

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "startup") == 0) return RunStartup();
    if (argc >= 5 && std::strcmp(argv[1], "fill") == 0) {
        const int rounds = argc >= 6 ? std::atoi(argv[5]) : 2;
        return RunFill(argv[2], argv[3], argv[4], rounds > 0 ? rounds : 2);
    }
    std::fprintf(stderr, "usage: bench_tree fill <parent> <folder with subfolders> "
                         "<folder with files>\n       bench_tree startup\n");
    return 2;
}
