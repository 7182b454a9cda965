// The read-only clearing walk: breadth first from the start folder, taking
// the read-only attribute off every entry below it.
#include "app/Unit1.h"

#include "app/Unit1Texts.h"
#include "app/WalkFailures.h"
#include "app/WalkPaths.h"
#include "gui/AnsiText.h"
#include "gui/Application.h"

namespace {

constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;
constexpr DWORD kDirectory = FILE_ATTRIBUTE_DIRECTORY;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Junctions and symbolic links lead elsewhere: out of the chosen folder or
// around a loop. They are neither followed nor changed. Every reparse point
// has a nonzero tag; where the file system reports none (Wine lists a Unix
// symbolic link to a folder as a reparse point without a tag), the entry is
// taken for a link, never followed on a guess. Other reparse points, such as
// cloud placeholders, are ordinary entries. Links that are not marked at all
// (Wine lists a Unix link to a file as a plain file) are caught by the final
// path check before any change.
bool IsLink(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0));
}

// A handle of the walk's file system, closed through it on every path.
template <BOOL (TFileSystem::*Close)(HANDLE)> class TFileSystemHandle {
  public:
    TFileSystemHandle(TFileSystem& fileSystem, HANDLE handle)
        : fileSystem_(fileSystem), handle_(handle) {}
    ~TFileSystemHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) (fileSystem_.*Close)(handle_);
    }
    TFileSystemHandle(const TFileSystemHandle&) = delete;
    TFileSystemHandle& operator=(const TFileSystemHandle&) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    TFileSystem& fileSystem_;
    HANDLE handle_;
};
using TFindSearch = TFileSystemHandle<&TFileSystem::FindClose>;
using TOpenEntry = TFileSystemHandle<&TFileSystem::CloseEntry>;

// The forms in which final paths are compared, best first. The normalized
// DOS path fails on SMB shares where a folder above cannot be read, and on
// volumes that the mount manager does not know (RAM disks, user-mode file
// systems); the NT name needs no drive letter, the opened name no read of the
// folders above. The start folder takes the first form it has and every entry
// is compared in that same form, so a link still resolves away from it.
constexpr DWORD kFinalPathForms[] = {FILE_NAME_NORMALIZED | VOLUME_NAME_DOS,
                                     FILE_NAME_NORMALIZED | VOLUME_NAME_NT,
                                     FILE_NAME_OPENED | VOLUME_NAME_NT};

// A listing that ends or finds nothing for these reasons is complete: a
// drive root has no "." entry, so an empty one matches nothing.
bool ListingComplete(DWORD error) {
    return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
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
    FFailures.Clear();
    TFolderQueue queue;
    const std::wstring chosen = FTV.RootFolderNameW();
    const std::wstring start = ExtendedStartPath(chosen);
    // A name given in bytes that the code page does not read exactly has no
    // UTF-16 form: it is shown as the code page reads it, and refused.
    const std::wstring shown = chosen.empty() ? WideText(FTV.RootFolderName()) : chosen;

    Msg(texts::kAcquiring);
    Application().ProcessMessages();
    // Nothing is listed unless the start folder's own final path is known:
    // every change is checked against it.
    const DWORD startError = start.empty()
                                 ? (shown.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME)
                                 : ResolveWalkRoot(start);
    if (startError != NO_ERROR) {
        Msg(texts::kStartNotOpened + shown + texts::kReasonOpen + SystemReason(startError) +
            texts::kReasonClose);
        EndWalk();
        return;
    }
    // The queue keeps each folder's path below the start folder only.
    std::wstring startFolder = start;
    if (startFolder.back() != L'\\') startFolder += L'\\';
    FStartLength = startFolder.size();
    ScanFolder(start, queue);

    const wchar_t* result = texts::kCompleted;
    {
        // Each folder's text goes to the status line as it is reached; the
        // line is repainted at a readable pace, since a status bar that
        // paints every text at once would set the pace of the whole walk.
        TStatusBarPaintThrottle statusPaint(StatusBar1, kPaintInterval);
        for (std::size_t i = 0; i < queue.Count(); ++i) {
            Application().ProcessMessages();
            std::wstring folder = startFolder;
            folder.append(queue[i]);
            Msg(DisplayPath(folder));
            statusPaint.Tick();
            if (!FRunning) {
                result = texts::kStopped;
                break;
            }
            ScanFolder(std::move(folder), queue);
        }
    }
    Msg(result + std::to_wstring(FClearCount) + texts::kItems + FFailures.ResultSuffix());
    EndWalk();
}

void TMainForm::EndWalk() {
    SetIdleButtons();
    FRunning = false;
    // Still walking while the box is up, so that closing the window waits.
    if (FFailures.Any())
        FFileSystem->ShowMessage(Handle(), FFailures.Report().c_str(), texts::kCaption,
                                 MB_OK | MB_ICONWARNING);
    FWalking = false;
    FWalkRoot.clear();
}

DWORD TMainForm::ResolveWalkRoot(const std::wstring& start) {
    TRedirectionOff redirection(*FFileSystem);
    // Read access only: a folder the user may not change can still hold
    // entries that the user may.
    TOpenEntry folder(*FFileSystem, FFileSystem->OpenEntry(start.c_str(), FILE_READ_ATTRIBUTES));
    if (!folder) return GetLastError();
    DWORD firstError = NO_ERROR;
    for (DWORD form : kFinalPathForms) {
        if (FFileSystem->GetFinalPath(folder.get(), form, FWalkRoot) && !FWalkRoot.empty()) {
            FFinalPathForm = form;
            return NO_ERROR;
        }
        if (firstError == NO_ERROR) firstError = GetLastError();
    }
    // The normalized DOS path's reason is the one a user can act on.
    return firstError != NO_ERROR ? firstError : ERROR_PATH_NOT_FOUND;
}

// The entry is changed only through a handle whose final path lies below the
// chosen folder: a link that the listing did not show as one (Wine lists a
// Unix link to a file as a plain file) resolves elsewhere and is left alone,
// which is no failure. An entry that cannot be opened, resolved or changed is.
void TMainForm::ClearReadOnly(const std::wstring& path, DWORD attributes) {
    TOpenEntry entry(*FFileSystem, FFileSystem->OpenEntry(path.c_str(), FILE_READ_ATTRIBUTES |
                                                                            FILE_WRITE_ATTRIBUTES));
    if (!entry || !FFileSystem->GetFinalPath(entry.get(), FFinalPathForm, FFinalPath))
        return FFailures.NotCleared(path, GetLastError());
    if (!LiesBelow(FFinalPath, FWalkRoot)) return;
    if (FFileSystem->SetAttributes(entry.get(), attributes - kReadOnly))
        ++FClearCount;
    else
        FFailures.NotCleared(path, GetLastError());
}

void TMainForm::PaintDuringScan(DWORD& lastPaint, TRedirectionOff& redirection) {
    DWORD now = GetTickCount();
    if (now - lastPaint < kPaintInterval) return;
    lastPaint = now;
    // Peeking may run messages sent from other threads too.
    redirection.TurnOn();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageW(&msg);
    redirection.TurnOff();
}

void TMainForm::ScanFolder(std::wstring folder, TFolderQueue& queue) {
    const std::size_t given = folder.size();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    const std::size_t folderLength = folder.size();

    // The tag is only written for reparse points; clear it before each call.
    WIN32_FIND_DATAW data;
    data.dwReserved0 = 0;
    TRedirectionOff redirection(*FFileSystem);
    // A listing that cannot start, or ends early (a share gone), leaves the
    // folder's entries unseen.
    auto listingFailed = [&](DWORD error) {
        if (!ListingComplete(error))
            FFailures.NotListed(std::wstring_view(folder).substr(0, given), error);
    };
    TFindSearch search(*FFileSystem, FFileSystem->FindFirstFile((folder + L'*').c_str(), &data));
    if (!search) return listingFailed(GetLastError());
    auto next = [&] {
        data.dwReserved0 = 0;
        return FFileSystem->FindNextFile(search.get(), &data);
    };

    DWORD lastPaint = GetTickCount();
    do {
        if (IsDotEntry(data.cFileName) || IsLink(data)) continue;
        const DWORD attributes = data.dwFileAttributes;
        if (attributes & kDirectory)
            queue.Append(std::wstring_view(folder).substr(FStartLength), data.cFileName);
        if (attributes & kReadOnly) {
            folder.append(data.cFileName);
            ClearReadOnly(folder, attributes);
            folder.resize(folderLength);
        }
        PaintDuringScan(lastPaint, redirection);
    } while (next());
    listingFailed(GetLastError());
}
