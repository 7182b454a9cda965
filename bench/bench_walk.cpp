// The read-only clearing walk, timed under Wine; scripts/bench.sh runs it.
//
//   bench_walk form <start folder> <folders below it>
//       the walk through the real main form (status line and message pumping
//       included), with the C++ heap it takes per queued folder
//   bench_walk bare <start folder>
//       a bare breadth-first FindFirstFileA/SetFileAttributesA loop in the
//       same order: the floor the platform allows for a walk on ANSI names
//   bench_walk safe <start folder>
//       a bare loop in the same order that makes the walk's own calls: wide
//       extended-length listing, and per read-only entry an open, its final
//       path, the change through the handle and the close
//   bench_walk status <start folder>
//       the status line and the message pumping of the walk alone, over the
//       same folders, with no attribute changed
//
// Prints key=value lines.
#include "app/Unit1.h"
#include "gui/AnsiText.h"
#include "gui/Application.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

// ---- Counting operator new/delete: live and peak bytes of the C++ heap.
// Only the GUI thread allocates through operator new in this program.

namespace {

struct THeapCount {
    std::size_t live = 0;
    std::size_t peak = 0;
};
THeapCount heap; // constant-initialised: ready before any constructor runs

// Each block starts with its size, so that delete knows what it releases.
constexpr std::size_t kHeader = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

void* Allocate(std::size_t size) noexcept {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block) return nullptr;
    *reinterpret_cast<std::size_t*>(block) = size;
    heap.live += size;
    if (heap.live > heap.peak) heap.peak = heap.live;
    return block + kHeader;
}

void Release(void* p) noexcept {
    if (!p) return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    heap.live -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

namespace {

template <class F> double TimedSeconds(F&& run) {
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    run();
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - begin.QuadPart) / double(frequency.QuadPart);
}

// The last run of ASCII digits in a cp932 text (a double-byte character's
// second byte is never a digit, but is skipped all the same); -1 if none.
long LastNumber(const std::string& text) {
    long number = -1;
    bool inDigits = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number = (inDigits ? number * 10 : 0) + (c - '0');
            inDigits = true;
        } else {
            inDigits = false;
            if (IsDBCSLeadByte(BYTE(c))) ++i;
        }
    }
    return number;
}

// Under Wine a window is on the X display when its driver gave it an X
// window; with a desktop started without a display there is none, and
// painting costs nothing.
bool OnDisplay(const TForm& form) {
    return GetPropA(form.Handle(), "__wine_x11_whole_window") != nullptr;
}

// Shows the form and handles its messages for a while, so that it is
// painted and settled before anything is timed.
void ShowAndSettle(TForm& form) {
    form.Show();
    const DWORD begin = GetTickCount();
    do {
        Application().ProcessMessages();
        Sleep(10);
    } while (GetTickCount() - begin < 300);
}

int RunForm(const std::string& start, long folders) {
    TWindowed<TMainForm> form(nullptr);
    ShowAndSettle(form);
    form.FTV.SetRootFolderName(start);

    const std::size_t before = heap.live;
    heap.peak = before;
    const double seconds = TimedSeconds([&] { form.btnStartClick(nullptr); });
    const std::size_t peak = heap.peak - before;
    const long retained = long(heap.live) - long(before);

    const std::string status = ShownAnsiText(form.StatusBar1.SimpleText());
    std::printf("seconds=%.3f\n", seconds);
    std::printf("on_display=%d\n", OnDisplay(form));
    std::printf("cleared=%ld\n", long(form.ClearCount()));
    std::printf("status_count=%ld\n", LastNumber(status));
    std::printf("status_bytes=%u\n", unsigned(status.size()));
    std::printf("heap_peak_bytes=%u\n", unsigned(peak));
    std::printf("heap_retained_bytes=%ld\n", retained);
    std::printf("folders=%ld\n", folders);
    std::printf("bytes_per_folder=%.1f\n", folders > 0 ? double(peak) / double(folders) : 0.0);
    return 0;
}

struct TFindCloser {
    using pointer = HANDLE;
    void operator()(HANDLE search) const { FindClose(search); }
};
using TSearch = std::unique_ptr<void, TFindCloser>;

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

struct TBareWalk {
    std::vector<std::string> folders; // the start folder, then the queued ones
    long cleared = 0;
};

// Breadth first from the start folder; with clear, takes the read-only
// attribute off every entry below it, else only lists the folders.
TBareWalk BareWalk(const std::string& start, bool clear) {
    TBareWalk walk{{start}};
    std::vector<std::string>& queue = walk.folders;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const std::string folder = queue[i] + '\\';
        WIN32_FIND_DATAA data;
        HANDLE found = FindFirstFileA((folder + "*.*").c_str(), &data);
        if (found == INVALID_HANDLE_VALUE) continue;
        TSearch search(found);
        do {
            if (IsDotEntry(data.cFileName)) continue;
            const DWORD attributes = data.dwFileAttributes;
            std::string path = folder + data.cFileName;
            if (clear && (attributes & FILE_ATTRIBUTE_READONLY) &&
                SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
                ++walk.cleared;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) queue.push_back(std::move(path));
        } while (FindNextFileA(search.get(), &data));
    }
    return walk;
}

int RunBare(const std::string& start) {
    TBareWalk walk;
    const double seconds = TimedSeconds([&] { walk = BareWalk(start, true); });
    std::printf("seconds=%.3f\n", seconds);
    std::printf("cleared=%ld\n", walk.cleared);
    return 0;
}

struct THandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using TEntryHandle = std::unique_ptr<void, THandleCloser>;

int RunSafeBare(const std::string& start) {
    std::wstring wideStart(start.size(), L'\0');
    wideStart.resize(MultiByteToWideChar(CP_ACP, 0, start.data(), int(start.size()),
                                         wideStart.data(), int(wideStart.size())));
    long cleared = 0;
    const double seconds = TimedSeconds([&] {
        std::vector<std::wstring> queue{L"\\\\?\\" + wideStart};
        std::wstring root(MAX_PATH, L'\0'), final(MAX_PATH, L'\0');
        {
            TEntryHandle folder(CreateFileW(queue[0].c_str(), FILE_READ_ATTRIBUTES, 7, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            root.resize(GetFinalPathNameByHandleW(folder.get(), root.data(), MAX_PATH, 0));
        }
        for (std::size_t i = 0; i < queue.size(); ++i) {
            const std::wstring folder = queue[i] + L'\\';
            WIN32_FIND_DATAW data;
            HANDLE found =
                FindFirstFileExW((folder + L'*').c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
            if (found == INVALID_HANDLE_VALUE) continue;
            TSearch search(found);
            do {
                const wchar_t* name = data.cFileName;
                if (name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]))) continue;
                const DWORD attributes = data.dwFileAttributes;
                std::wstring path = folder + name;
                if (attributes & FILE_ATTRIBUTE_READONLY) {
                    TEntryHandle entry(
                        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 7,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
                    final.resize(MAX_PATH);
                    final.resize(GetFinalPathNameByHandleW(entry.get(), final.data(), MAX_PATH, 0));
                    FILE_BASIC_INFO info{};
                    info.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
                    if (!info.FileAttributes) info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
                    if (final.compare(0, root.size(), root) == 0 &&
                        SetFileInformationByHandle(entry.get(), FileBasicInfo, &info, sizeof info))
                        ++cleared;
                }
                if (attributes & FILE_ATTRIBUTE_DIRECTORY) queue.push_back(std::move(path));
            } while (FindNextFileW(search.get(), &data));
        }
    });
    std::printf("seconds=%.3f\n", seconds);
    std::printf("cleared=%ld\n", cleared);
    return 0;
}

// What the walk does per folder besides the file system: message pumping and
// the folder's path on the status line, alone, over the same folders.
int RunStatusLine(const std::string& start) {
    const std::vector<std::string> folders = BareWalk(start, false).folders;
    TWindowed<TMainForm> form(nullptr);
    ShowAndSettle(form);
    const double seconds = TimedSeconds([&] {
        for (std::size_t i = 1; i < folders.size(); ++i) {
            Application().ProcessMessages();
            form.Msg(WideText(folders[i]));
        }
    });
    std::printf("seconds=%.3f\n", seconds);
    std::printf("on_display=%d\n", OnDisplay(form));
    std::printf("folders=%u\n", unsigned(folders.size() - 1));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "form" && argc == 4) return RunForm(argv[2], std::atol(argv[3]));
    if (mode == "bare" && argc == 3) return RunBare(argv[2]);
    if (mode == "safe" && argc == 3) return RunSafeBare(argv[2]);
    if (mode == "status" && argc == 3) return RunStatusLine(argv[2]);
    std::fprintf(stderr, "usage: bench_walk form <start folder> <folders below it>\n"
                         "       bench_walk bare <start folder>\n"
                         "       bench_walk safe <start folder>\n"
                         "       bench_walk status <start folder>\n");
    return 2;
}
