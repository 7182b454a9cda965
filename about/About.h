// TAboutBox: the About window, shown modally by the main window.
#pragma once

#include "gui/Form.h"
#include "gui/Label.h"

class TAboutBox : public TForm {
  public:
    explicit TAboutBox(TComponent* owner);
    ~TAboutBox() override;

    TLabel Label1;

  private:
    void Label1MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
};
