// A tool bar of buttons with images and captions, one per row when each
// button wraps; each button has its own cursor and click handler.
#pragma once

#include "gui/WinControl.h"

#include <vector>

class TImageList;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsSeparator };

struct TToolButtonProps {
    const char* name = "";
    const wchar_t* caption = L"";
    int imageIndex = -1;
    TToolButtonStyle style = tbsButton;
    int width = 8;     // separators only: their width, pixels at 96 dpi
    bool wrap = false; // a row break follows the button
    bool enabled = true;
    TCursor cursor = crDefault;
};

class TToolButton : public TComponent {
  public:
    TToolButton(TComponent* owner, TToolBar* toolBar, const TToolButtonProps& props);

    const std::wstring& Caption() const { return caption_; }
    int ImageIndex() const { return props_.imageIndex; }
    TToolButtonStyle Style() const { return props_.style; }
    bool Wrap() const { return props_.wrap; }
    int SeparatorWidth() const;
    int CommandId() const { return commandId_; }
    TToolBar* ToolBar() const { return toolBar_; }
    TCursor Cursor() const { return props_.cursor; }
    bool Enabled() const { return props_.enabled; }
    void SetEnabled(bool enabled);
    void Click();

    TNotifyEvent OnClick;

  private:
    TToolBar* toolBar_;
    TToolButtonProps props_;
    std::wstring caption_;
    int commandId_;
};

struct TToolBarProps {
    TControlProps control = {};
    int buttonWidth = 23, buttonHeight = 22;
    bool showCaptions = false;
    bool edgeBorders = true;
};

class TToolBar : public TWinControl {
  public:
    TToolBar(TComponent* owner, TWinControl* parent, const TToolBarProps& props)
        : TWinControl(owner, parent, props.control), props_(props) {}

    void SetImages(TImageList* images) { images_ = images; }
    const std::vector<TToolButton*>& Buttons() const { return buttons_; }
    int AddButton(TToolButton* button);
    void ButtonChanged(TToolButton* button);
    // Sends the button's command as a click does; a disabled one refuses it.
    void Press(TToolButton* button);
    // The button that the arrow keys reached, pressed by Enter or Space.
    TToolButton* KeyButton() const;

    bool HandleCommand(WORD code, WORD id) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    bool Keyable(int index) const;
    int HotIndex() const; // -1: none
    void MoveKeyButton(int step);
    void SetKeyButton(int index);
    void KeysArrived();
    bool HandleKey(WPARAM key);

    TToolBarProps props_;
    TImageList* images_ = nullptr;
    std::vector<TToolButton*> buttons_;
    int lastKeyIndex_ = -1; // the button the keys reached last
};
