// Owners of the platform's resources, one per kind, so that each is released
// on every path by construction: kernel handles, device contexts and the
// objects selected into them, GDI objects, icons, image lists, menus,
// task-allocator memory, storage media and a replaced window procedure.
// They depend on the platform alone.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <objidl.h>
#include <ole2.h>

#include <memory>
#include <type_traits>
#include <utility>

// A handle with a close call and a value meaning "none"; movable, not
// copyable. `Traits` gives Handle, Invalid() and Close(Handle).
template <class Traits> class UniqueResource {
  public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
// A file or other kernel object opened with INVALID_HANDLE_VALUE for failure.
using UniqueHandle = UniqueResource<KernelHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
// A search of a folder's entries (FindFirstFile).
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

template <class H> struct GdiObjectTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
template <class H> using UniqueGdiObject = UniqueResource<GdiObjectTraits<H>>;

struct MemoryDCTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
// A device context from CreateCompatibleDC.
using UniqueMemoryDC = UniqueResource<MemoryDCTraits>;

struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueResource<IconTraits>;

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueResource<ImageListTraits>;

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueResource<MenuTraits>;

struct DeviceNotificationTraits {
    using Handle = HDEVNOTIFY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { UnregisterDeviceNotification(h); }
};
// A window's registration for a device's events (RegisterDeviceNotification).
using UniqueDeviceNotification = UniqueResource<DeviceNotificationTraits>;

// Memory from the COM task allocator (CoTaskMemAlloc, shell strings).
struct CoTaskMemDeleter {
    void operator()(void* block) const { CoTaskMemFree(block); }
};
template <class T> using UniqueCoTaskMem = std::unique_ptr<T, CoTaskMemDeleter>;

// The device context of a window (the screen's when the window is null).
class WindowDC {
  public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// The device context of a paint request, from BeginPaint to EndPaint.
class PaintDC {
  public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context; the one it replaced goes back.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A storage medium filled by IDataObject::GetData; released with
// ReleaseStgMedium (which also releases a pUnkForRelease).
class UniqueStgMedium {
  public:
    UniqueStgMedium() = default;
    ~UniqueStgMedium() { reset(); }
    UniqueStgMedium(const UniqueStgMedium&) = delete;
    UniqueStgMedium& operator=(const UniqueStgMedium&) = delete;
    STGMEDIUM& get() { return medium_; }
    // For GetData: releases what is held and gives the empty medium to fill.
    STGMEDIUM* put() {
        reset();
        return &medium_;
    }
    void reset() {
        if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
        medium_ = STGMEDIUM{};
    }

  private:
    STGMEDIUM medium_{};
};

// A window whose procedure is replaced for the owner's lifetime; messages
// the new procedure does not take are handed to the saved one with Call.
class WindowSubclass {
  public:
    WindowSubclass() = default;
    WindowSubclass(HWND window, WNDPROC procedure);
    ~WindowSubclass() { Remove(); }
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    bool Installed() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    WNDPROC SavedProcedure() const { return saved_; }
    LRESULT Call(UINT msg, WPARAM wp, LPARAM lp) const {
        return CallWindowProcW(saved_, window_, msg, wp, lp);
    }
    // Puts the saved procedure back (once; a destroyed window is let go).
    void Remove();

  private:
    HWND window_ = nullptr;
    WNDPROC procedure_ = nullptr;
    WNDPROC saved_ = nullptr;
};
