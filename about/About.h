// TAboutBox: the About window, a borderless card shown modally by the main
// window. A click on its background or captions closes it; its links open
// in the shell; it shows the free physical memory on every timer tick.
#pragma once

#include "gui/Bevel.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/Shape.h"
#include "gui/Timer.h"

#include <shellapi.h>

#include <cstdint>
#include <string>

class TAboutBox;

// Bytes of physical memory free now (GlobalMemoryStatusEx).
std::uint64_t AvailablePhysicalMemory();

// What the card asks of the system: the memory figure it shows and the
// shell call behind its links. The card uses the system's own unless it is
// given another one, which must outlive it.
class TAboutServices {
  public:
    virtual ~TAboutServices() = default;
    virtual std::uint64_t FreeMemory() { return AvailablePhysicalMemory(); }
    virtual HINSTANCE Open(HWND owner, const wchar_t* verb, const wchar_t* file,
                           const wchar_t* parameters, const wchar_t* folder, int show) {
        return ShellExecuteW(owner, verb, file, parameters, folder, show);
    }
};

TAboutServices& SystemAboutServices();

// The card's pictures, resources of the program that shows it: its icon
// and its name.
struct TAboutPictures {
    int iconResource = 0;
    int nameBitmapResource = 0;
};

// The stored layout: every part with the values that differ from the
// framework's defaults, and the handlers bound to its events. The pictures
// are not in it: they come with the window's creation.
struct TAboutBoxLayout {
    struct Events {
        void (TAboutBox::*onClick)(TObject*) = nullptr;
        void (TAboutBox::*onMouseMove)(TObject*, TShiftState, int, int) = nullptr;
        void (TAboutBox::*onMouseUp)(TObject*, TMouseButton, TShiftState, int, int) = nullptr;
    };
    template <class Props> struct Part {
        Props props;
        Events events = {};
    };

    TFormProps form;
    Part<TShapeProps> Shape1;
    Part<TImageProps> Image1, Image2;
    Part<TBevelProps> Bevel3;
    Part<TLabelProps> Label3, Label12, lblURL5;
    Part<TBevelProps> Bevel1;
    Part<TLabelProps> Label2, lblMemory;
    Part<TBevelProps> Bevel2;
    Part<TLabelProps> lblURL6, lblURL7, Label1;
    TTimerProps tmrMemory;
    void (TAboutBox::*onMemoryTimer)(TObject*);
};

extern const TAboutBoxLayout kAboutBoxLayout;

class TAboutBox : public TForm {
  public:
    TAboutBox(TComponent* owner, const TAboutPictures& pictures,
              TAboutServices& services = SystemAboutServices());

    // Parts, in creation order: later ones lie above earlier ones.
    TShape Shape1;
    TImage Image1;
    TImage Image2;
    TBevel Bevel3;
    TLabel Label3;
    TLabel Label12;
    TLabel lblURL5;
    TBevel Bevel1;
    TLabel Label2;
    TLabel lblMemory;
    TBevel Bevel2;
    TLabel lblURL6;
    TLabel lblURL7;
    TLabel Label1;
    TTimer tmrMemory;

    void tmrMemoryTimer(TObject* sender);
    void lblURL1Click(TObject* sender);
    void Label10Click(TObject* sender);
    void lblURL1MouseMove(TObject* sender, TShiftState shift, int x, int y);
    void Shape1MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    // "1234567" -> "1,234,567": commas between groups of three digits.
    static std::string splitdigit(std::string S);

    static constexpr TColor kLinkColor = RGB(0, 0, 255);
    static constexpr TColor kHoverColor = RGB(255, 0, 0);
    static constexpr const wchar_t* kMakerAddress = L"https://www.example.com/tarnwick/";

  private:
    TAboutServices& FServices;
};
