// Top-level windows built from stored layouts; modal showing.
#pragma once

#include "gui/WinControl.h"

class TToolButton;

enum TFormBorderStyle { bsSizeable, bsNone };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TPosition { poDesigned, poMainFormCenter };

constexpr int mrNone = 0;
constexpr int mrOk = IDOK;

struct TFormProps {
    TControlProps control = {};
    const wchar_t* caption = L"";
    TFormBorderStyle borderStyle = bsSizeable;
    TFormStyle formStyle = fsNormal;
    TPosition position = poDesigned;
    int iconResource = 0; // the window's icon; 0: none
    // The client area at 96 dpi, which the stored layout fills; the outer
    // size follows from this platform's frame. 0: control's size is outer.
    int clientWidth = 0, clientHeight = 0;
};

class TForm : public TWinControl {
  public:
    TForm(TComponent* owner, const TFormProps& props);
    ~TForm() override;

    const std::wstring& Caption() const { return caption_; }

    // Creates the windows of the form and its controls, then runs OnCreate.
    void Create();
    void Show();
    // Asks the form to close: CloseQuery decides; the main form ends the
    // program, another form hides (and ends a modal showing).
    void Close();
    // Shows the form modally; returns the modal result once it is set.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // The control that gets the focus when the form is first shown.
    void SetActiveControl(TWinControl* control) { activeControl_ = control; }
    // The button that Escape presses while it is enabled.
    void SetCancelButton(TToolButton* button) { cancelButton_ = button; }
    // The smallest client area the user can size the form to, in pixels.
    void SetMinClientSize(int width, int height) { minClient_ = {width, height}; }

    bool DialogKey(const MSG& msg) override;

    TNotifyEvent OnCreate;

  protected:
    // False keeps the form open.
    virtual bool CloseQuery() { return true; }
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void FocusNextTabStop(bool backwards);
    bool FocusActiveControl(); // false: no control to focus
    void RememberFocus();
    void MinMaxInfo(MINMAXINFO& info) const;

    std::wstring caption_;
    TFormBorderStyle borderStyle_;
    TFormStyle formStyle_;
    TPosition position_;
    int iconResource_;
    bool modal_ = false;
    int modalResult_ = mrNone;
    TWinControl* activeControl_ = nullptr;
    TToolButton* cancelButton_ = nullptr;
    HWND lastFocus_ = nullptr; // the focused child when the form was deactivated
    SIZE minClient_{0, 0};
};
