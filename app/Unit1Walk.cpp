// The read-only clearing walk: breadth first from the start folder, taking
// the read-only attribute off every entry below it.
#include "app/Unit1.h"

#include "app/Unit1Texts.h"
#include "gui/Application.h"

namespace {

constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;
constexpr DWORD kDirectory = FILE_ATTRIBUTE_DIRECTORY;

// True when the last character (not byte) is a "\": the second byte of a
// double-byte character may be 0x5C too.
bool EndsWithPathDelimiter(const std::string& path) {
    bool delimiter = false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(BYTE(path[i])) && i + 1 < path.size()) {
            delimiter = false;
            ++i;
        } else {
            delimiter = path[i] == '\\';
        }
    }
    return delimiter;
}

// A drive root or below ("X:\..."), or a UNC path ("\\server\share...").
// Anything else would be resolved against the current directory.
bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && IsCharAlphaA(path[0]) && path[1] == ':' && path[2] == '\\') return true;
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Junctions and symbolic links lead elsewhere: out of the chosen folder or
// around a loop. They are neither followed nor changed. Every reparse point
// has a nonzero tag; where the file system reports none (Wine lists a Unix
// symbolic link as a reparse point without a tag), the entry is taken for a
// link, never followed on a guess. Other reparse points, such as cloud
// placeholders, are ordinary entries.
bool IsLink(const WIN32_FIND_DATAA& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0));
}

// Paint requests are served during a long scan so the window does not go
// blank; no input is handled there, so Stop still waits for the next folder.
constexpr DWORD kPaintInterval = 100; // milliseconds

} // namespace

void TMainForm::SetIdleButtons() {
    btnStart.SetEnabled(true);
    btnStop.SetEnabled(false);
}

void TMainForm::btnStartClick(TObject*) {
    // A Start handled while a stopped walk has yet to unwind is refused.
    if (FWalking) return;
    FRunning = true;
    FClearCount = 0;
    btnStart.SetEnabled(false);
    btnStop.SetEnabled(true);
    GetDirectory();
    if (FCloseDeferred) {
        FCloseDeferred = false;
        Close();
    }
}

void TMainForm::btnStopClick(TObject*) {
    SetIdleButtons();
    FRunning = false;
}

void TMainForm::GetDirectory() {
    FWalking = true;
    TFolderQueue queue;
    const std::string start = FTV.RootFolderName();

    Msg(texts::kAcquiring);
    Application().ProcessMessages();
    if (IsAbsolutePath(start)) ScanFolder(start, queue);

    const char* result = texts::kCompleted;
    {
        // Each folder's text goes to the status line as it is reached; the
        // line is repainted at a readable pace, since a status bar that
        // paints every text at once would set the pace of the whole walk.
        TStatusBarPaintThrottle statusPaint(StatusBar1, kPaintInterval);
        for (std::size_t i = 0; i < queue.Count(); ++i) {
            Application().ProcessMessages();
            std::string folder(queue[i]);
            Msg(folder);
            statusPaint.Tick();
            if (!FRunning) {
                result = texts::kStopped;
                break;
            }
            ScanFolder(std::move(folder), queue);
        }
    }
    Msg(result + std::to_string(FClearCount) + texts::kItems);

    SetIdleButtons();
    FRunning = false;
    FWalking = false;
}

void TMainForm::PaintDuringScan(DWORD& lastPaint) {
    DWORD now = GetTickCount();
    if (now - lastPaint < kPaintInterval) return;
    lastPaint = now;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&msg);
}

void TMainForm::ScanFolder(std::string Folder, TFolderQueue& Queue) {
    if (!Folder.empty() && !EndsWithPathDelimiter(Folder)) Folder += '\\';
    const std::size_t folderLength = Folder.size();

    // The tag is only written for reparse points; clear it before each call.
    WIN32_FIND_DATAA data;
    data.dwReserved0 = 0;
    HANDLE search = FFileSystem->FindFirstFile((Folder + "*.*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    auto next = [&] {
        data.dwReserved0 = 0;
        return FFileSystem->FindNextFile(search, &data);
    };

    DWORD lastPaint = GetTickCount();
    do {
        if (IsDotEntry(data.cFileName) || IsLink(data)) continue;
        const DWORD attributes = data.dwFileAttributes;
        if (attributes & kDirectory) Queue.Append(Folder, data.cFileName);
        if (attributes & kReadOnly) {
            Folder.append(data.cFileName);
            if (FFileSystem->SetFileAttributes(Folder.c_str(), attributes - kReadOnly))
                ++FClearCount;
            Folder.resize(folderLength);
        }
        PaintDuringScan(lastPaint);
    } while (next());
    FFileSystem->FindClose(search);
}
