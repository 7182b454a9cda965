// Components and controls: the named parts of a window, their placement,
// alignment, fonts, colours and mouse events. Windowed controls own a
// window; graphic controls are drawn by their parent and get their mouse
// events from it.
#pragma once

#include "gui/Graphics.h"
#include "gui/Types.h"

#include <string>
#include <vector>

class TWinControl;

// A named part of a window. The owner lists its components in creation
// order, so that they can be visited by name.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* owner, std::string name = {});
    ~TComponent() override;

    const std::string& Name() const { return name_; }
    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }

    // The component sits in a form designer rather than a running program.
    bool Designing() const { return designing_; }
    void SetDesigning(bool designing) { designing_ = designing; }

  private:
    TComponent* owner_;
    bool designing_ = false;
    std::string name_;
    std::vector<TComponent*> components_;
};

// Values of a control's stored layout; sizes are pixels at 96 dpi.
struct TControlProps {
    const char* name = "";
    int left = 0, top = 0, width = 0, height = 0;
    TAlign align = alNone;
    bool visible = true;
    bool enabled = true;
    TCursor cursor = crDefault;
    TColor color = clNone; // clNone: the class's own colour
    bool parentColor = true;
    const char* windowClass = nullptr; // forms: the window class name
    const TFontSpec* font = nullptr;   // null: the parent's font
};

class TControl : public TComponent {
  public:
    TControl(TComponent* owner, TWinControl* parent, const TControlProps& props);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }
    const RECT& BoundsRect() const { return bounds_; }
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }

    TColor Color() const;
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    const TFont& Font() const;
    void SetFont(const TFontSpec& fontSpec);
    bool ParentFont() const { return parentFont_; }

    virtual void Invalidate();

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Mouse input, in the control's own coordinates.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Click();

  protected:
    // The colour a control has when its layout gives none.
    virtual TColor DefaultColor() const { return clBtnFace; }
    virtual void ColorChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }

  private:
    TWinControl* parent_;
    RECT bounds_{};
    TAlign align_;
    bool visible_;
    bool enabled_;
    TCursor cursor_;
    TColor color_;
    bool parentColor_;
    bool parentFont_;
    TFont font_;
};

// A control without a window of its own, painted by its parent.
class TGraphicControl : public TControl {
  public:
    using TControl::TControl;
    virtual void Paint(HDC dc) = 0;
    void Invalidate() override;
};

// Window-creation values that a windowed control chooses for itself.
struct TCreateParams {
    const char* className = "TKelvaneControl";
    bool ownClass = true; // registered here; otherwise a system class that is subclassed
    HICON icon = nullptr;
    std::string caption;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    HWND parent = nullptr;
};

// A control with a window. Children are created with it, in creation order.
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

    // The object behind a window created by this framework.
    static TWinControl* FromHandle(HWND hwnd);

    // Notifications that the parent received from this control's window.
    virtual bool HandleNotify(NMHDR* header, LRESULT& result);
    virtual bool HandleCommand(WORD code, WORD id);

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
    static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    TControl* GraphicControlAt(int x, int y) const;
    bool RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
    void ApplyFont();

    HWND handle_ = nullptr;
    WNDPROC classProc_ = nullptr; // the common control's own procedure
    UniqueGdiObject<HBRUSH> brush_;
    std::vector<TControl*> controls_;
    TControl* mouseCapture_ = nullptr;
    TControl* mouseOver_ = nullptr;
};
