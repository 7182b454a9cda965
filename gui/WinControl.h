// Windowed controls: a control with a window of its own, made from this
// framework's window class or by subclassing a system one, and the parent
// of other controls.
#pragma once

#include "gui/Control.h"
#include "gui/Owners.h"

#include <string>
#include <vector>

// Window-creation values that a windowed control chooses for itself.
struct TCreateParams {
    std::wstring className = L"TKelvaneControl";
    bool ownClass = true; // registered here; otherwise a system class that is subclassed
    HICON icon = nullptr;
    std::wstring caption;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    HWND parent = nullptr;
};

// A control with a window. Children are created with it, in creation order.
// Every one is made as TWindowed<T>, which destroys the window, and with it
// every child's, before any destructor of the object runs.
class TWinControl : public TControl {
  public:
    using TControl::TControl;
    ~TWinControl() override;

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Creates the window and those of all windowed children.
    void HandleNeeded();
    void DestroyHandle();

    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertControl(TControl* control) { controls_.push_back(control); }
    void RemoveControl(TControl* control);

    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;

    // Places the aligned children: top, bottom, left, right, then client.
    void AlignControls();
    RECT ClientRect() const;

    // The object behind a window created by this framework; null for any
    // other window (the shell's, another process's, a control made elsewhere).
    static TWinControl* FromHandle(HWND hwnd);

    // Notifications that the parent received from this control's window.
    virtual bool HandleNotify(NMHDR* header, LRESULT& result);
    virtual bool HandleCommand(WORD code, WORD id);
    // A key message for a window inside this top-level one, before it is
    // dispatched: true if taken here (dialog keys such as Tab).
    virtual bool DialogKey(const MSG&) { return false; }

  private:
    // Implemented by TWindowed alone, so that no other class can be made.
    virtual void MadeAsWindowed() = 0;

  protected:
    virtual void CreateParams(TCreateParams& params);
    // Called once the window exists, before children are created.
    virtual void CreateWnd() {}
    // Called while the window still exists, before it is destroyed.
    virtual void DestroyWnd() {}
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);
    // Draws the background and graphic children of the framework's classes.
    virtual void PaintWindow(HDC dc);
    void ColorChanged() override;
    void FontChanged() override;

  private:
    // The window's lifetime (WinControl.cpp): class, procedures, binding of
    // the window to the object (its GWLP_USERDATA) and release.
    static void RegisterWindowClass(HINSTANCE instance, const TCreateParams& params);
    static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    void Subclass(HWND hwnd);
    void BindWindow(HWND hwnd);
    void ReleaseWindow();
    void BoundsFromWindow();
    void ApplyFont();

    // Its messages (WinControlMessages.cpp): mouse routing to graphic
    // children, painting of the framework's own classes.
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    TControl* GraphicControlAt(int x, int y) const;
    bool RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
    bool SetCursorAtPointer();
    void EraseBackground(HDC dc);
    void PaintNow();

    HWND handle_ = nullptr;
    WNDPROC classProc_ = nullptr; // the common control's own procedure
    UniqueGdiObject<HBRUSH> brush_;
    std::vector<TControl*> controls_;
    TControl* mouseCapture_ = nullptr;
    TControl* mouseOver_ = nullptr;
};

// The class every window object is made as: its destructor destroys the
// window (with its children's) while every part of the object is whole, so
// that DestroyWnd and the message handlers of every class run as written,
// and no message reaches a part already destroyed.
template <class T> class TWindowed final : public T {
  public:
    using T::T;
    ~TWindowed() override { this->DestroyHandle(); }

  private:
    void MadeAsWindowed() override {}
};
