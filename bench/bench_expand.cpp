// Times from outside a built Kelvane.exe what a person waits for when a node
// opens: TVM_EXPAND of a folder's node, sent to the program's tree by another
// process, returns once the program has filled the node. Run by
// scripts/bench-expand.sh, which gives it the current build and, for a
// before-and-after figure, an older one.
//   bench_expand <Kelvane.exe> <folder> expand <child>
//       opens the tree down to <folder> and times the first expansion of
//       its child <child>: expand_seconds, nodes
//   bench_expand <Kelvane.exe> <folder> chain <depth>
//       opens <folder>, then its only child, and so on <depth> levels down,
//       timing each: level_<n>_seconds
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/remote/remote.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExpandTimeoutMs = 600000;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

// TVM_EXPAND sent across processes: the seconds until the program answers,
// or a negative figure when it did not answer in time.
double TimedExpand(HWND tree, HTREEITEM item) {
    DWORD_PTR answer = 0;
    const double begin = Now();
    if (!SendMessageTimeoutA(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(item), SMTO_NORMAL,
                             kExpandTimeoutMs, &answer))
        return -1;
    return Now() - begin;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// The child of `parent` whose label is `name` (ignoring case) or, for a
// drive, ends in "(X:)"; nullptr if none.
HTREEITEM Child(const remote::RemoteTree& view, HTREEITEM parent, const std::string& name) {
    for (const remote::TreeItem& item : view.children(parent))
        if (lstrcmpiA(item.text.c_str(), name.c_str()) == 0 ||
            EndsWith(item.text, "(" + name + ")"))
            return item.handle;
    return nullptr;
}

// The components of a Windows path: "Z:", then each folder.
std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + "\\") {
        if (c != '\\') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

int Fail(const char* what) {
    std::fprintf(stderr, "bench_expand: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_expand <Kelvane.exe> <folder> expand <child>\n"
                             "       bench_expand <Kelvane.exe> <folder> chain <depth>\n");
        return 2;
    }
    const std::string mode = argv[3];
    remote::Process program = remote::Process::start(argv[1]);
    const HWND main = remote::waitForTopLevelWindow(program, "Kelvane", kStartTimeoutMs);
    if (!main) return Fail("no main window");
    const std::vector<HWND> trees = remote::findChildren(main, WC_TREEVIEWA);
    if (trees.size() != 1) return Fail("no single tree view");
    const HWND tree = trees[0];
    const remote::RemoteTree view(tree);

    // Down from My Computer to the folder, each node opened on the way.
    HTREEITEM item = view.root();
    if (!item || TimedExpand(tree, item) < 0) return Fail("the root did not open");
    for (const std::string& part : Components(argv[2])) {
        item = Child(view, item, part);
        if (!item || TimedExpand(tree, item) < 0) return Fail(("no way to " + part).c_str());
    }

    if (mode == "expand") {
        item = Child(view, item, argv[4]);
        if (!item) return Fail("no such child");
        const double seconds = TimedExpand(tree, item);
        if (seconds < 0) return Fail("the node did not open in time");
        std::printf("expand_seconds=%.3f\n", seconds);
        unsigned nodes = 0; // counted by handle alone: reading 20,000 labels takes minutes
        for (HTREEITEM c = view.firstChild(item); c; c = view.nextSibling(c))
            ++nodes;
        std::printf("nodes=%u\n", nodes);
    } else if (mode == "chain") {
        const int depth = std::atoi(argv[4]);
        for (int level = 1; level <= depth; ++level) {
            item = view.firstChild(item);
            if (!item) return Fail("the chain ends early");
            const double seconds = TimedExpand(tree, item);
            if (seconds < 0) return Fail("a level did not open in time");
            std::printf("level_%d_seconds=%.4f\n", level, seconds);
        }
    } else {
        return Fail("unknown mode");
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (!program.waitForExit(kStartTimeoutMs)) program.terminate();
    return 0;
}
