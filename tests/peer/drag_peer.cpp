// Another program for the drag tests to drag to and from, in its own
// process as a person's other programs are:
//   drag_peer.exe take LOG        a window that takes dropped files
//   drag_peer.exe give LOG FILE   a window that drags FILE when pressed
// Each event is appended to LOG as a UTF-8 line ("enter", "leave", "drop
// N", "path P", "result 0xHR effect E", "failed STEP 0xHR"), written and
// closed at once so that the test reads it while the window stays. The
// window stays until it is closed.
#include "folder_tree/UnknownObject.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdio>
#include <memory>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

std::wstring gLog;
std::wstring gFile;

void Log(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    HANDLE file = CreateFileW(gLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, utf8.data(), DWORD(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring Hex(HRESULT value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

struct MediumDeleter {
    void operator()(STGMEDIUM* medium) const { ReleaseStgMedium(medium); }
};
struct CoTaskMemDeleter {
    void operator()(void* block) const { CoTaskMemFree(block); }
};
struct LocalDeleter {
    void operator()(void* block) const { LocalFree(block); }
};

FORMATETC HDrop() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

class Taker final : public TUnknownObject<IDropTarget> {
  public:
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        Log(L"enter");
        FORMATETC format = HDrop();
        accepts_ = data && data->QueryGetData(&format) == S_OK;
        *effect = accepts_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepts_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        Log(L"leave");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = DROPEFFECT_NONE;
        FORMATETC format = HDrop();
        STGMEDIUM medium{};
        if (!data || FAILED(data->GetData(&format, &medium))) {
            Log(L"drop 0");
            return S_OK;
        }
        std::unique_ptr<STGMEDIUM, MediumDeleter> owned(&medium);
        auto drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        Log(L"drop " + std::to_wstring(count));
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            path.resize(DragQueryFileW(drop, i, path.data(), UINT(path.size())));
            Log(L"path " + path);
        }
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }

  private:
    ~Taker() override = default;
    bool accepts_ = false;
};

class Giver final : public TUnknownObject<IDropSource> {
  public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  private:
    ~Giver() override = default;
};

// The shell's own data object of the file, dragged as Explorer would.
void Give(HWND window) {
    PIDLIST_ABSOLUTE raw = nullptr;
    HRESULT hr = SHParseDisplayName(gFile.c_str(), nullptr, &raw, 0, nullptr);
    std::unique_ptr<ITEMIDLIST, CoTaskMemDeleter> item(raw);
    if (FAILED(hr)) return Log(L"failed parse " + Hex(hr));
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    hr = SHBindToParent(item.get(), IID_IShellFolder,
                        reinterpret_cast<void**>(parent.GetAddressOf()), &child);
    if (FAILED(hr)) return Log(L"failed parent " + Hex(hr));
    ComPtr<IDataObject> data;
    hr = parent->GetUIObjectOf(window, 1, &child, IID_IDataObject, nullptr,
                               reinterpret_cast<void**>(data.GetAddressOf()));
    if (FAILED(hr)) return Log(L"failed data " + Hex(hr));
    ComPtr<IDropSource> source = MakeUnknownObject<Giver>();
    DWORD effect = DROPEFFECT_NONE;
    hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_MOVE | DROPEFFECT_COPY, &effect);
    Log(L"result " + Hex(hr) + L" effect " + std::to_wstring(effect));
}

LRESULT CALLBACK PeerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        if (!gFile.empty()) Give(window);
        return 0;
    case WM_DESTROY:
        RevokeDragDrop(window); // none in give mode: harmless
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int count = 0;
    std::unique_ptr<LPWSTR, LocalDeleter> args(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!args) return 2;
    LPWSTR* arg = args.get();
    const std::wstring mode = count > 1 ? arg[1] : L"";
    if (!((mode == L"take" && count == 3) || (mode == L"give" && count == 4))) return 2;
    gLog = arg[2];
    if (mode == L"give") gFile = arg[3];
    if (FAILED(OleInitialize(nullptr))) return 3;

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PeerProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = L"KelvaneDragPeer";
    RegisterClassW(&windowClass);
    const std::wstring caption = L"drag peer " + mode;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, caption.c_str(),
                                  WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 120, 120, nullptr,
                                  nullptr, instance, nullptr);
    int code = 4;
    if (window) {
        ComPtr<IDropTarget> taker;
        if (mode == L"take") {
            taker = MakeUnknownObject<Taker>();
            if (FAILED(RegisterDragDrop(window, taker.Get()))) Log(L"failed register");
        }
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        code = 0;
    }
    OleUninitialize();
    return code;
}
